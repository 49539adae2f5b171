#pragma once
// The joystick catalogue: the models a section's joystick input can be wired to,
// read from JoylistNew.ini. The pictures live in the shell (JoyPictures); this table
// holds only what the file says, so hvcctl and the fuzzers can read it too.

#include "core/status.h"

#include <QString>
#include <array>
#include <cstdint>

namespace hvc {

class Prompter;

inline constexpr const char* kJoyListMessage = "'JoyList.ini' file NOT FOUND or CORRUPTED";

struct JoyModel {
    std::int16_t joyId = 0;
    QString joyCode, joyName, joyDesc1, joyDesc2, joyDesc3, joyDesc4;
    std::int16_t selectable = 0;
    std::int16_t axisNum = 0;
    std::array<std::int16_t, 4> axisConfig{};
    std::array<std::int16_t, 4> axisSpare{};
    // Reads one line (fields as the file format says); a failure saying which
    // field is wrong.
    Status load(QString line);
};

enum class JoyPicture { Normal, X, Y, Z, W, Off };

class JoyCatalogue {
public:
    // Room for the not-used record, the channel kinds and every named model, with
    // some to spare for new models.
    static constexpr int kMaxRecords = 24;
    // Reads the file; on any fault shows kJoyListMessage with the file, line and reason as
    // detail (Prompter::informDetailed) and returns false, joyCount as the load rules say.
    bool loadJoyList(const QString& iniPath, Prompter& prompter);
    bool loadJoyListText(const QString& text, Prompter& prompter); // header line included
    int joyCount() const;
    int notUsedJoyId() const;
    const JoyModel& joyList(int position) const; // 0..16; a blank record beyond
    QString lastError() const;
    // "C.jpg", "C_X.jpg", "C_Y.jpg", "C_Z.jpg", "C_W.jpg", "C_D.jpg"
    static QString pictureFileName(const QString& code, JoyPicture kind);

private:
    bool load(const QString& text, const QString& source, Prompter& prompter);
    bool fail(const QString& reason, Prompter& prompter);

    std::array<JoyModel, kMaxRecords> m_list{};
    int m_count = 0;
    int m_notUsedJoyId = 0;
    QString m_lastError;
};

} // namespace hvc
