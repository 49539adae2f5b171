#pragma once
// Joystick pictures: every model of the shipped catalogue, its axis and greyed
// variants, the shared unknown, not-used and custom pictures and the hand pointer.

#include <QDir>
#include <QImage>
#include <QString>

// Writes one picture; false, with the path on stderr, when it cannot.
bool savePicture(const QImage& img, const QString& path, const char* format);

// Reads the catalogue at `joyListPath` and writes the pictures below `res`
// (bmp/joy/ and ico/HandIE.ico). False, with the reason on stderr, when the
// catalogue cannot be read, a model has no drawing here or a file cannot be written.
bool paintJoysticks(const QString& joyListPath, const QDir& res);
