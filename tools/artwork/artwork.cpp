// Paints the program's pictures and icons. Run at build time with the target
// res/ folder and the joystick catalogue whose models get pictures.

#include "joyart.h"

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cstdio>

namespace {

QImage statusIcon(QColor colour) {
    QImage img(16, 16, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient g(QPointF(6, 5), 9);
    g.setColorAt(0, colour.lighter(170));
    g.setColorAt(0.6, colour);
    g.setColorAt(1, colour.darker(160));
    p.setBrush(g);
    p.setPen(QPen(colour.darker(220), 1));
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    return img;
}

// One valve section seen from the front: a body with a solenoid on each side.
void drawSection(QPainter& p, QRectF body, QColor accent) {
    QLinearGradient metal(body.topLeft(), body.bottomLeft());
    metal.setColorAt(0, QColor(200, 204, 210));
    metal.setColorAt(0.5, QColor(150, 156, 164));
    metal.setColorAt(1, QColor(96, 100, 108));
    p.setPen(QPen(QColor(50, 52, 58), 1.5));
    p.setBrush(metal);
    p.drawRoundedRect(body, 4, 4);
    const qreal coilW = body.width() * 0.8;
    const qreal coilH = body.height() * 0.22;
    for (int side = 0; side < 2; ++side) {
        const qreal y = side == 0 ? body.top() - coilH + 2 : body.bottom() - 2;
        QRectF coil(body.center().x() - coilW / 2, y, coilW, coilH);
        QLinearGradient cg(coil.topLeft(), coil.topRight());
        cg.setColorAt(0, accent.darker(180));
        cg.setColorAt(0.45, accent);
        cg.setColorAt(1, accent.darker(200));
        p.setBrush(cg);
        p.drawRoundedRect(coil, 3, 3);
    }
    p.setBrush(QColor(40, 40, 44));
    p.drawEllipse(body.center(), body.width() * 0.12, body.width() * 0.12);
}

QImage splashPhoto() {
    QImage img(480, 300, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 300);
    sky.setColorAt(0, QColor(18, 42, 74));
    sky.setColorAt(1, QColor(6, 14, 28));
    p.fillRect(img.rect(), sky);
    // The bank: inlet plate, four sections, end plate.
    const qreal top = 90, height = 120;
    p.setPen(QPen(QColor(50, 52, 58), 1.5));
    p.setBrush(QColor(120, 124, 132));
    p.drawRoundedRect(QRectF(60, top - 10, 40, height + 20), 4, 4);
    const QColor accents[4] = {QColor(200, 40, 30), QColor(230, 190, 20), QColor(40, 110, 210),
                               QColor(40, 170, 70)};
    for (int i = 0; i < 4; ++i)
        drawSection(p, QRectF(104 + i * 70, top, 64, height), accents[i]);
    p.setBrush(QColor(120, 124, 132));
    p.drawRoundedRect(QRectF(386, top - 10, 34, height + 20), 4, 4);
    // Hoses.
    p.setPen(QPen(QColor(20, 20, 22), 7, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 4; ++i) {
        QPainterPath hose;
        const qreal x = 136 + i * 70;
        hose.moveTo(x, top - 30);
        hose.cubicTo(x, top - 60, x + 30, top - 50, x + 40 - i * 10, 10);
        p.drawPath(hose);
    }
    QFont title(QStringLiteral("Sans"), 20, QFont::Bold);
    p.setFont(title);
    p.setPen(QColor(235, 240, 250));
    p.drawText(QRectF(0, 236, 480, 32), Qt::AlignCenter, QStringLiteral("HVC Configurator"));
    QFont sub(QStringLiteral("Sans"), 10);
    p.setFont(sub);
    p.setPen(QColor(160, 180, 210));
    p.drawText(QRectF(0, 266, 480, 20), Qt::AlignCenter,
               QStringLiteral("Hydraulic proportional valve control"));
    return img;
}

QImage greenPlate() {
    QImage img(64, 64, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient g(0, 0, 0, 64);
    g.setColorAt(0, QColor(60, 200, 80));
    g.setColorAt(1, QColor(0, 120, 30));
    p.fillRect(img.rect(), g);
    return img;
}

QImage programIcon(int size) {
    QImage img(size, size, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    p.setPen(QPen(QColor(30, 30, 34), 1));
    p.setBrush(QColor(150, 156, 164));
    p.drawRoundedRect(QRectF(4, 9, 24, 14), 2, 2);
    const QColor accents[3] = {QColor(200, 40, 30), QColor(230, 190, 20), QColor(40, 110, 210)};
    for (int i = 0; i < 3; ++i) {
        p.setBrush(accents[i]);
        p.drawRect(QRectF(6 + i * 7.5, 3, 6, 6));
        p.drawRect(QRectF(6 + i * 7.5, 23, 6, 6));
    }
    return img;
}

// The control unit as the configuration page shows it: a grey box with its
// connectors and a status lamp.
QImage controllerBox() {
    QImage img(160, 120, QImage::Format_RGB32);
    img.fill(QColor(240, 240, 240));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 20, 0, 100);
    g.setColorAt(0, QColor(176, 180, 188));
    g.setColorAt(1, QColor(112, 116, 124));
    p.setPen(QPen(QColor(40, 40, 44), 2));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(14, 22, 132, 76), 6, 6);
    p.setBrush(QColor(30, 30, 34));
    for (int i = 0; i < 2; ++i)
        p.drawRoundedRect(QRectF(26 + i * 60, 8, 48, 16), 2, 2);
    p.setBrush(QColor(0, 192, 0));
    p.drawEllipse(QPointF(128, 84), 5, 5);
    p.setPen(QColor(20, 20, 24));
    QFont f = p.font();
    f.setPixelSize(15);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRectF(14, 40, 132, 30), Qt::AlignCenter, QStringLiteral("HVC"));
    return img;
}

// A pair of proportional solenoids on a valve body (side A and side B).
QImage solenoidPair() {
    QImage img(144, 80, QImage::Format_RGB32);
    img.fill(QColor(240, 240, 240));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 40, 44), 1.5));
    p.setBrush(QColor(150, 156, 164));
    p.drawRect(QRectF(52, 18, 40, 44));
    for (int side = 0; side < 2; ++side) {
        const double x = side == 0 ? 8 : 94;
        QLinearGradient g(0, 24, 0, 56);
        g.setColorAt(0, QColor(60, 60, 66));
        g.setColorAt(1, QColor(20, 20, 24));
        p.setBrush(g);
        p.drawRoundedRect(QRectF(x, 24, 42, 32), 4, 4);
        p.setBrush(QColor(200, 150, 40));
        p.drawRect(QRectF(side == 0 ? x + 4 : x + 30, 34, 8, 12));
    }
    return img;
}

// A vehicle battery: a dark case with its two poles, + and -.
QImage battery() {
    QImage img(80, 60, QImage::Format_RGB32);
    img.fill(QColor(240, 240, 240));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(30, 30, 34), 1.5));
    p.setBrush(QColor(200, 40, 40));
    p.drawRect(QRectF(16, 6, 10, 8));
    p.setBrush(QColor(40, 40, 44));
    p.drawRect(QRectF(54, 6, 10, 8));
    QLinearGradient g(0, 14, 0, 54);
    g.setColorAt(0, QColor(84, 88, 96));
    g.setColorAt(1, QColor(36, 38, 44));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(6, 14, 68, 40), 4, 4);
    p.setPen(QPen(QColor(240, 240, 240), 2.5));
    p.drawLine(QPointF(16, 30), QPointF(26, 30));
    p.drawLine(QPointF(21, 25), QPointF(21, 35));
    p.drawLine(QPointF(54, 30), QPointF(64, 30));
    return img;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: hvc-artwork RES_DIR JOYLIST_INI\n");
        return 2;
    }
    const QDir res(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(res.filePath(QStringLiteral("bmp")));
    QDir().mkpath(res.filePath(QStringLiteral("ico")));
    bool ok = savePicture(splashPhoto(), res.filePath(QStringLiteral("bmp/Init.jpg")), "JPG");
    ok = savePicture(greenPlate(), res.filePath(QStringLiteral("bmp/green.jpg")), "JPG") && ok;
    ok = savePicture(statusIcon(QColor(0, 192, 0)),
                     res.filePath(QStringLiteral("ico/Green 16.ico")), "ICO") &&
         ok;
    ok = savePicture(statusIcon(QColor(235, 235, 235)),
                     res.filePath(QStringLiteral("ico/White 16.ico")), "ICO") &&
         ok;
    ok = savePicture(statusIcon(QColor(220, 0, 0)), res.filePath(QStringLiteral("ico/Red 16.ico")),
                     "ICO") &&
         ok;
    ok = savePicture(programIcon(32), res.filePath(QStringLiteral("ico/hvc.ico")), "ICO") && ok;
    ok = savePicture(programIcon(64), res.filePath(QStringLiteral("ico/hvc.png")), "PNG") && ok;
    QDir().mkpath(res.filePath(QStringLiteral("bmp/Ecu")));
    QDir().mkpath(res.filePath(QStringLiteral("bmp/Magnet")));
    ok = savePicture(controllerBox(), res.filePath(QStringLiteral("bmp/Ecu/CTRLBOX.jpg")), "JPG") &&
         ok;
    ok = savePicture(solenoidPair(), res.filePath(QStringLiteral("bmp/Magnet/Solenoid.jpg")),
                     "JPG") &&
         ok;
    ok = savePicture(battery(), res.filePath(QStringLiteral("bmp/Magnet/VBB.jpg")), "JPG") && ok;
    ok = paintJoysticks(QString::fromLocal8Bit(argv[2]), res) && ok;
    return ok ? 0 : 1;
}
