#include "joyart.h"

#include "core/joycatalogue.h"
#include "core/prompter.h"

#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>
#include <cstdio>
#include <vector>

using hvc::JoyPicture;

namespace {

constexpr int kWidth = 96;
constexpr int kHeight = 120;
const QColor kMark(255, 128, 0);

enum class Shape { Knob, Handle, Grip, Fingertip, MiniStick, Paddle, Rocker, Socket };
enum class Gate { None, Cross, Round };

// How a model looks. The catalogue says which models exist and how many axes they
// have; this table only adds the looks, and a model missing here fails the build.
struct Style {
    const char* code;
    Shape shape;
    Gate gate;
    int buttons;
    int rollers;
    QRgb colour;
};

constexpr Style kStyles[] = {
    {"NOTUSED", Shape::Socket, Gate::None, 0, 0, 0xff808080},
    // The channel kinds the joystick and digital settings page writes: plain
    // shapes in a light grey-blue, told apart by the gate and the roller.
    {"CANX", Shape::Knob, Gate::Cross, 0, 0, 0xff5b6b80},
    {"CANY", Shape::Knob, Gate::Round, 0, 0, 0xff5b6b80},
    {"CANW", Shape::Handle, Gate::Round, 0, 1, 0xff5b6b80},
    {"CANDI", Shape::Rocker, Gate::None, 0, 0, 0xff5b6b80},
    {"HJ1S", Shape::Knob, Gate::Round, 0, 0, 0xff202226},
    {"HJ1SB", Shape::Knob, Gate::Round, 1, 0, 0xff202226},
    {"HJ2C", Shape::Handle, Gate::Cross, 0, 0, 0xff2a2c30},
    {"HJ2CB", Shape::Handle, Gate::Cross, 3, 0, 0xff2a2c30},
    {"HJ2F", Shape::Handle, Gate::Round, 0, 0, 0xff3a3f48},
    {"HJ3R", Shape::Handle, Gate::Round, 1, 1, 0xff1f3550},
    {"HJ4G", Shape::Grip, Gate::Round, 4, 2, 0xff262626},
    {"FT1", Shape::Fingertip, Gate::None, 0, 0, 0xff303338},
    {"FT2", Shape::Fingertip, Gate::None, 0, 0, 0xff303338},
    {"FT3", Shape::Fingertip, Gate::None, 0, 0, 0xff303338},
    {"FT4", Shape::Fingertip, Gate::None, 0, 0, 0xff303338},
    {"MN2", Shape::MiniStick, Gate::None, 0, 0, 0xff2f6d3a},
    {"PD1", Shape::Paddle, Gate::None, 0, 0, 0xff8a2020},
    {"RK2", Shape::Rocker, Gate::None, 0, 0, 0xff2d2d2d},
    {"HJ2L", Shape::Handle, Gate::Cross, 1, 0, 0xff4a5a7a},
    {"FT2L", Shape::Fingertip, Gate::None, 0, 0, 0xff6b4a2a},
};

const Style* styleOf(const QString& code) {
    for (const Style& s : kStyles)
        if (code == QLatin1String(s.code))
            return &s;
    return nullptr;
}

// Where the axis pictures put their mark: an arrow along the motion, or a ring
// round the piece that moves (a roller, one lever of a module).
struct Marker {
    enum Kind { ArrowH, ArrowV, Ring } kind;
    QRectF where;
};

void background(QPainter& p) {
    QLinearGradient g(0, 0, 0, kHeight);
    g.setColorAt(0, QColor(236, 240, 246));
    g.setColorAt(1, QColor(200, 208, 220));
    p.fillRect(QRect(0, 0, kWidth, kHeight), g);
}

QBrush shaded(const QRectF& r, QColor c) {
    QLinearGradient g(r.topLeft(), r.topRight());
    g.setColorAt(0, c.lighter(150));
    g.setColorAt(0.4, c);
    g.setColorAt(1, c.darker(170));
    return g;
}

void base(QPainter& p, Gate gate) {
    const QRectF plate(16, 84, 64, 18);
    p.setPen(QPen(QColor(40, 40, 44), 1));
    p.setBrush(shaded(plate, QColor(110, 114, 122)));
    p.drawRoundedRect(plate, 5, 5);
    if (gate == Gate::Cross) {
        p.setBrush(QColor(30, 30, 32));
        p.drawRect(QRectF(28, 91, 40, 4));
        p.drawRect(QRectF(46, 86, 4, 14));
    }
    QPainterPath boot;
    const qreal half = gate == Gate::Round ? 16 : 10;
    boot.moveTo(48 - half, 88);
    boot.quadTo(48 - half / 2, 80, 45, 72);
    boot.lineTo(51, 72);
    boot.quadTo(48 + half / 2, 80, 48 + half, 88);
    boot.closeSubpath();
    p.setBrush(QColor(24, 24, 26));
    p.drawPath(boot);
    p.setBrush(shaded(QRectF(45, 48, 6, 26), QColor(170, 174, 182)));
    p.drawRect(QRectF(45.5, 50, 5, 24));
}

void buttons(QPainter& p, const QPointF& centre, int count, qreal spacing) {
    static const QColor kColours[] = {QColor(220, 40, 30), QColor(240, 200, 30),
                                      QColor(40, 120, 220), QColor(60, 170, 70)};
    const qreal first = centre.x() - spacing * (count - 1) / 2.0;
    for (int i = 0; i < count; ++i) {
        p.setPen(QPen(QColor(20, 20, 20), 1));
        p.setBrush(kColours[i % 4]);
        p.drawEllipse(QPointF(first + i * spacing, centre.y()), 3.2, 3.2);
    }
}

QRectF roller(QPainter& p, QPointF centre) {
    const QRectF r(centre.x() - 6, centre.y() - 4, 12, 8);
    p.setPen(QPen(QColor(10, 10, 10), 1));
    p.setBrush(QColor(90, 90, 96));
    p.drawRoundedRect(r, 2, 2);
    p.setPen(QPen(QColor(160, 160, 166), 1));
    for (qreal x = r.left() + 2.5; x < r.right() - 1; x += 2.5)
        p.drawLine(QPointF(x, r.top() + 1), QPointF(x, r.bottom() - 1));
    return r.adjusted(-3, -3, 3, 3);
}

// A lever on a base: which handle, how many buttons and rollers. The first axis of a
// one-axis lever is fore-aft; of the others X is left-right, Y fore-aft.
std::vector<Marker> lever(QPainter& p, const Style& s, int axes) {
    base(p, s.gate);
    const QColor c = QColor::fromRgb(s.colour);
    p.setPen(QPen(QColor(10, 10, 10), 1.2));
    std::vector<Marker> marks;
    QPointF buttonRow;
    std::vector<QPointF> rollerAt;
    switch (s.shape) {
    case Shape::Knob: {
        QRadialGradient g(QPointF(44, 36), 16);
        g.setColorAt(0, c.lighter(260));
        g.setColorAt(1, c);
        p.setBrush(g);
        p.drawEllipse(QPointF(48, 42), 13, 13);
        buttonRow = QPointF(48, 33);
        break;
    }
    case Shape::Handle: {
        const QRectF h(36, 12, 24, 44);
        p.setBrush(shaded(h, c));
        p.drawRoundedRect(h, 10, 10);
        buttonRow = QPointF(48, 20);
        rollerAt = {QPointF(48, 36), QPointF(48, 46)};
        break;
    }
    default: {
        // Ergonomic grip: leans forward, a palm rest behind and a trigger in front.
        QPainterPath grip;
        grip.moveTo(40, 56);
        grip.cubicTo(30, 40, 30, 18, 44, 8);
        grip.cubicTo(58, 2, 70, 12, 64, 24);
        grip.cubicTo(60, 32, 62, 44, 56, 56);
        grip.closeSubpath();
        p.setBrush(shaded(grip.boundingRect(), c));
        p.drawPath(grip);
        p.setBrush(QColor(150, 30, 30));
        p.drawRoundedRect(QRectF(28, 30, 8, 12), 3, 3);
        buttonRow = QPointF(50, 14);
        rollerAt = {QPointF(50, 28), QPointF(50, 40)};
        break;
    }
    }
    buttons(p, buttonRow, s.buttons, 7);
    std::vector<QRectF> rollers;
    for (int i = 0; i < s.rollers && i < static_cast<int>(rollerAt.size()); ++i)
        rollers.push_back(roller(p, rollerAt[static_cast<size_t>(i)]));
    if (axes == 1) {
        marks.push_back({Marker::ArrowV, QRectF(84, 10, 0, 64)});
        return marks;
    }
    marks.push_back({Marker::ArrowH, QRectF(10, 64, 76, 0)});
    marks.push_back({Marker::ArrowV, QRectF(84, 10, 0, 64)});
    for (const QRectF& r : rollers)
        marks.push_back({Marker::Ring, r});
    return marks;
}

// A row of fingertip levers in one module; axis k is lever k.
std::vector<Marker> fingertips(QPainter& p, const Style& s, int levers) {
    const QColor c = QColor::fromRgb(s.colour);
    const QRectF box(12, 66, 72, 36);
    p.setPen(QPen(QColor(10, 10, 10), 1.2));
    p.setBrush(shaded(box, c));
    p.drawRoundedRect(box, 6, 6);
    std::vector<Marker> marks;
    const qreal step = box.width() / levers;
    for (int k = 0; k < levers; ++k) {
        const qreal x = box.left() + step * (k + 0.5);
        p.setBrush(QColor(150, 154, 160));
        p.drawRect(QRectF(x - 2, 40, 4, 28));
        const QRectF tip(x - 7, 26, 14, 16);
        p.setBrush(shaded(tip, c.lighter(130)));
        p.drawRoundedRect(tip, 4, 4);
        marks.push_back({Marker::Ring, QRectF(x - 10, 22, 20, 50)});
    }
    return marks;
}

std::vector<Marker> miniStick(QPainter& p, const Style& s) {
    const QColor c = QColor::fromRgb(s.colour);
    p.setPen(QPen(QColor(10, 10, 10), 1.2));
    p.setBrush(shaded(QRectF(22, 70, 52, 30), QColor(60, 62, 66)));
    p.drawEllipse(QRectF(22, 70, 52, 30));
    p.setBrush(QColor(150, 154, 160));
    p.drawRect(QRectF(45, 56, 6, 22));
    p.setBrush(shaded(QRectF(32, 46, 32, 14), c));
    p.drawEllipse(QRectF(32, 46, 32, 14));
    return {{Marker::ArrowH, QRectF(10, 36, 76, 0)}, {Marker::ArrowV, QRectF(84, 30, 0, 60)}};
}

std::vector<Marker> paddle(QPainter& p, const Style& s) {
    const QColor c = QColor::fromRgb(s.colour);
    p.setPen(QPen(QColor(10, 10, 10), 1.2));
    p.setBrush(shaded(QRectF(18, 40, 60, 60), QColor(70, 72, 78)));
    p.drawEllipse(QRectF(18, 40, 60, 60));
    const QRectF blade(40, 20, 16, 56);
    p.setBrush(shaded(blade, c));
    p.drawRoundedRect(blade, 6, 6);
    return {{Marker::ArrowH, QRectF(8, 30, 80, 0)}};
}

std::vector<Marker> rockers(QPainter& p, const Style& s, int count) {
    const QColor c = QColor::fromRgb(s.colour);
    const QRectF panel(14, 20, 68, 84);
    p.setPen(QPen(QColor(10, 10, 10), 1.2));
    p.setBrush(shaded(panel, QColor(120, 124, 130)));
    p.drawRoundedRect(panel, 6, 6);
    std::vector<Marker> marks;
    const qreal step = panel.width() / count;
    for (int k = 0; k < count; ++k) {
        const QRectF r(panel.left() + step * k + 6, 32, step - 12, 60);
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        g.setColorAt(0, c.lighter(220));
        g.setColorAt(0.5, c);
        g.setColorAt(1, c.darker(150));
        p.setBrush(g);
        p.drawRoundedRect(r, 3, 3);
        p.setPen(QPen(QColor(240, 240, 240), 2));
        p.drawLine(QPointF(r.center().x(), r.top() + 8), QPointF(r.center().x(), r.top() + 16));
        p.drawEllipse(QPointF(r.center().x(), r.bottom() - 12), 4, 4);
        p.setPen(QPen(QColor(10, 10, 10), 1.2));
        marks.push_back({Marker::Ring, r.adjusted(-4, -4, 4, 4)});
    }
    return marks;
}

// An empty socket with a bar across: nothing is wired to the input.
std::vector<Marker> socket(QPainter& p) {
    p.setPen(QPen(QColor(60, 60, 64), 1.5));
    p.setBrush(QColor(150, 152, 158));
    p.drawRoundedRect(QRectF(16, 84, 64, 18), 5, 5);
    p.setPen(QPen(QColor(120, 120, 126), 2, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(36, 14, 24, 44), 10, 10);
    p.drawLine(QPointF(48, 58), QPointF(48, 84));
    p.setPen(QPen(QColor(200, 30, 30), 6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(18, 96), QPointF(78, 12));
    return {{Marker::Ring, QRectF(30, 8, 36, 96)}};
}

void caption(QPainter& p, const QString& text) {
    QFont f(QStringLiteral("Sans"));
    f.setPixelSize(10);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(40, 44, 52));
    p.drawText(QRectF(0, 104, kWidth, 16), Qt::AlignCenter, text);
}

void arrowHead(QPainter& p, QPointF tip, QPointF from) {
    const QLineF back(tip, from);
    QLineF a = back;
    a.setLength(7);
    QLineF b = a;
    a.setAngle(back.angle() + 30);
    b.setAngle(back.angle() - 30);
    p.drawLine(a);
    p.drawLine(b);
}

void mark(QPainter& p, const Marker& m, const QString& letter) {
    p.setPen(QPen(kMark, 3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    if (m.kind == Marker::Ring) {
        p.drawRoundedRect(m.where, 5, 5);
    } else {
        const QPointF a = m.where.topLeft();
        const QPointF b = m.kind == Marker::ArrowH ? m.where.topRight() : m.where.bottomLeft();
        p.drawLine(a, b);
        arrowHead(p, a, b);
        arrowHead(p, b, a);
    }
    QFont f(QStringLiteral("Sans"));
    f.setPixelSize(16);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRectF(2, 0, 20, 20), Qt::AlignCenter, letter);
}

// As the catalogue reads a line: 1 to 3 axes as given, any other count as four.
int axisCount(const hvc::JoyModel& joy) {
    return joy.axisNum >= 1 && joy.axisNum <= 3 ? joy.axisNum : 4;
}

struct Model {
    QImage picture;
    std::vector<Marker> marks;
};

Model paintModel(const Style& s, const hvc::JoyModel& joy) {
    Model m{QImage(kWidth, kHeight, QImage::Format_RGB32), {}};
    QPainter p(&m.picture);
    p.setRenderHint(QPainter::Antialiasing);
    background(p);
    const int axes = axisCount(joy);
    switch (s.shape) {
    case Shape::Knob:
    case Shape::Handle:
    case Shape::Grip:
        m.marks = lever(p, s, axes);
        break;
    case Shape::Fingertip:
        m.marks = fingertips(p, s, axes);
        break;
    case Shape::MiniStick:
        m.marks = miniStick(p, s);
        break;
    case Shape::Paddle:
        m.marks = paddle(p, s);
        break;
    case Shape::Rocker:
        m.marks = rockers(p, s, axes);
        break;
    case Shape::Socket:
        m.marks = socket(p);
        break;
    }
    caption(p, joy.joyCode);
    return m;
}

QImage greyed(const QImage& picture) {
    QImage grey =
        picture.convertToFormat(QImage::Format_Grayscale8).convertToFormat(QImage::Format_RGB32);
    QPainter p(&grey);
    p.fillRect(grey.rect(), QColor(255, 255, 255, 120));
    return grey;
}

QImage shared(const QString& text, QColor ink) {
    QImage img(kWidth, kHeight, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    background(p);
    p.setPen(QPen(QColor(120, 122, 130), 2, Qt::DashLine));
    p.drawRoundedRect(QRectF(36, 14, 24, 44), 10, 10);
    p.drawRoundedRect(QRectF(16, 84, 64, 18), 5, 5);
    p.drawLine(QPointF(48, 58), QPointF(48, 84));
    QFont f(QStringLiteral("Sans"));
    f.setPixelSize(text.size() == 1 ? 40 : 14);
    f.setBold(true);
    p.setFont(f);
    p.setPen(ink);
    p.drawText(QRectF(0, 16, kWidth, 64), Qt::AlignCenter, text);
    return img;
}

// The hand pointer over the solenoid pictures: index finger up, tip at (11, 1).
QImage handPointer() {
    QImage img(32, 32, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath hand;
    hand.moveTo(9, 14);
    hand.lineTo(9, 3);
    hand.quadTo(11, 0, 13, 3);
    hand.lineTo(13, 12);
    hand.quadTo(15, 10, 17, 12.5);
    hand.quadTo(19, 10.5, 21, 13);
    hand.quadTo(23, 11.5, 25, 14);
    hand.lineTo(25, 22);
    hand.quadTo(24, 28, 20, 30);
    hand.lineTo(12, 30);
    hand.quadTo(8, 26, 4, 19);
    hand.quadTo(4, 16, 7, 17);
    hand.closeSubpath();
    p.setPen(QPen(Qt::black, 1.4));
    p.setBrush(Qt::white);
    p.drawPath(hand);
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(QPointF(17, 13), QPointF(17, 19));
    p.drawLine(QPointF(21, 14), QPointF(21, 19));
    return img;
}

} // namespace

bool savePicture(const QImage& img, const QString& path, const char* format) {
    if (img.save(path, format, 92))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

bool paintJoysticks(const QString& joyListPath, const QDir& res) {
    hvc::StderrPrompter prompter;
    hvc::JoyCatalogue catalogue;
    if (!catalogue.loadJoyList(joyListPath, prompter))
        return false;
    const QDir joy(res.filePath(QStringLiteral("bmp/joy")));
    QDir().mkpath(joy.path());
    QDir().mkpath(res.filePath(QStringLiteral("ico")));
    bool ok = true;
    static const JoyPicture kAxes[] = {JoyPicture::X, JoyPicture::Y, JoyPicture::Z, JoyPicture::W};
    static const char* const kLetters[] = {"X", "Y", "Z", "W"};
    for (int i = 0; i < catalogue.joyCount(); ++i) {
        const hvc::JoyModel& record = catalogue.joyList(i);
        const Style* style = styleOf(record.joyCode);
        if (!style) {
            std::fprintf(stderr, "%s: no drawing for the model '%s'\n", qPrintable(joyListPath),
                         qPrintable(record.joyCode));
            return false;
        }
        const Model model = paintModel(*style, record);
        const auto file = [&](JoyPicture kind) {
            return joy.filePath(hvc::JoyCatalogue::pictureFileName(record.joyCode, kind));
        };
        ok = savePicture(model.picture, file(JoyPicture::Normal), "JPG") && ok;
        ok = savePicture(greyed(model.picture), file(JoyPicture::Off), "JPG") && ok;
        const int axes = axisCount(record);
        for (int k = 0; k < axes; ++k) {
            QImage axis = model.picture;
            QPainter p(&axis);
            p.setRenderHint(QPainter::Antialiasing);
            const auto at = static_cast<size_t>(std::min<int>(k, int(model.marks.size()) - 1));
            mark(p, model.marks[at], QLatin1String(kLetters[k]));
            p.end();
            ok = savePicture(axis, file(kAxes[k]), "JPG") && ok;
        }
    }
    ok = savePicture(shared(QStringLiteral("?"), QColor(40, 80, 160)),
                     joy.filePath(QStringLiteral("Unknow.jpg")), "JPG") &&
         ok;
    ok = savePicture(shared(QStringLiteral("CUSTOM"), QColor(20, 120, 60)),
                     joy.filePath(QStringLiteral("CUSTOM.jpg")), "JPG") &&
         ok;
    // The shared not-used picture is the not-used record's own drawing.
    hvc::JoyModel notUsedRecord;
    notUsedRecord.joyCode = QStringLiteral("NOTUSED");
    const Model notUsed = paintModel(*styleOf(notUsedRecord.joyCode), notUsedRecord);
    ok = savePicture(notUsed.picture, joy.filePath(QStringLiteral("NOTUSED.jpg")), "JPG") && ok;
    ok = savePicture(handPointer(), res.filePath(QStringLiteral("ico/HandIE.ico")), "ICO") && ok;
    return ok;
}
