#include "serial/open_port_error_picture.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace trelvo {

namespace {

using Stroke = std::vector<QPointF>;

// The wobble of a hand: the same every time, so the picture never changes between runs.
class Wobble {
public:
    explicit Wobble(std::uint32_t seed) : state_(seed) {}
    double next(double amplitude) {
        state_ = state_ * 1664525u + 1013904223u;
        return ((state_ >> 8) / double(1u << 24) * 2.0 - 1.0) * amplitude;
    }

private:
    std::uint32_t state_;
};

// An arc of an ellipse, angles in degrees counter-clockwise from three o'clock, y pointing down.
Stroke Arc(double cx, double cy, double rx, double ry, double fromDeg, double toDeg, int steps = 18) {
    Stroke s;
    for (int i = 0; i <= steps; ++i) {
        const double a = (fromDeg + (toDeg - fromDeg) * i / steps) * std::numbers::pi / 180.0;
        s.emplace_back(cx + rx * std::cos(a), cy - ry * std::sin(a));
    }
    return s;
}

// Capital letters on a unit box (x 0..width, y 0..1, y down).
std::vector<Stroke> GlyphStrokes(char16_t c) {
    switch (c) {
    case u'С':
        return {Arc(0.5, 0.5, 0.5, 0.5, 45, 315)};
    case u'О':
        return {Arc(0.5, 0.5, 0.5, 0.5, 0, 360, 28)};
    case u'Н':
        return {{{0, 0}, {0, 1}}, {{1, 0}, {1, 1}}, {{0, 0.5}, {1, 0.5}}};
    case u'А':
        return {{{0, 1}, {0.5, 0}, {1, 1}}, {{0.22, 0.64}, {0.78, 0.64}}};
    case u'Ч':
        return {{{0, 0}, {0, 0.3}, {0.12, 0.48}, {0.35, 0.56}, {1, 0.56}}, {{1, 0}, {1, 1}}};
    case u'Л':
        return {{{0, 1}, {0.18, 0.9}, {0.28, 0.45}, {0.33, 0}, {1, 0}, {1, 1}}};
    case u'Т':
        return {{{0, 0}, {1, 0}}, {{0.5, 0}, {0.5, 1}}};
    case u'К':
        return {{{0, 0}, {0, 1}}, {{0.95, 0}, {0, 0.56}}, {{0.3, 0.4}, {1, 1}}};
    case u'Р':
        return {{{0, 1}, {0, 0}, {0.6, 0}, {0.9, 0.1}, {0.96, 0.25}, {0.9, 0.4}, {0.6, 0.5}, {0, 0.5}}};
    case u'Й':
        return {{{0, 0}, {0, 1}, {1, 0}, {1, 1}}, Arc(0.5, -0.2, 0.22, 0.12, 180, 360, 8)};
    case u'П':
        return {{{0, 1}, {0, 0}, {1, 0}, {1, 1}}};
    case u'!':
        return {{{0.1, 0}, {0.1, 0.68}}, {{0.1, 0.94}, {0.1, 0.96}}};
    default:
        return {};
    }
}

double GlyphWidth(char16_t c) {
    if (c == u'!') return 0.2;
    if (c == u' ') return 0.5;
    return 1.0;
}

void DrawStroke(QPainter& p, const Stroke& stroke, Wobble& wobble, double amplitude) {
    if (stroke.empty()) return;
    QPainterPath path(stroke.front() + QPointF(wobble.next(amplitude), wobble.next(amplitude)));
    for (std::size_t i = 1; i < stroke.size(); ++i)
        path.lineTo(stroke[i] + QPointF(wobble.next(amplitude), wobble.next(amplitude)));
    p.drawPath(path);
}

// One line of letters, centred on centreX, its letters `height` tall with their tops at `top`.
void DrawLettering(QPainter& p, const std::u16string& text, double centreX, double top, double width, double height,
                   Wobble& wobble) {
    const double gap = width * 0.36;
    double total = -gap;
    for (char16_t c : text)
        total += GlyphWidth(c) * width + gap;
    double x = centreX - total / 2;
    for (char16_t c : text) {
        const double w = GlyphWidth(c) * width;
        p.save();
        p.translate(x + w / 2, top + height / 2 + wobble.next(4));
        p.rotate(wobble.next(6));
        p.translate(-w / 2, -height / 2);
        for (Stroke stroke : GlyphStrokes(c)) {
            for (QPointF& pt : stroke)
                pt = QPointF(pt.x() * width, pt.y() * height);
            DrawStroke(p, stroke, wobble, 1.8);
        }
        p.restore();
        x += w + gap;
    }
}

void DrawAngryFigure(QPainter& p, Wobble& wobble) {
    const QPen ink(QColor(25, 25, 25), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(ink);
    DrawStroke(p, Arc(300, 262, 40, 42, 0, 360, 30), wobble, 1.5); // head
    p.setPen(QPen(QColor(25, 25, 25), 6, Qt::SolidLine, Qt::RoundCap));
    DrawStroke(p, {{274, 244}, {294, 257}}, wobble, 1); // eyebrows pulled down to the middle
    DrawStroke(p, {{306, 257}, {326, 244}}, wobble, 1);
    p.setPen(QPen(QColor(25, 25, 25), 9, Qt::SolidLine, Qt::RoundCap));
    DrawStroke(p, {{286, 267}, {286, 268}}, wobble, 0.5); // eyes
    DrawStroke(p, {{314, 267}, {314, 268}}, wobble, 0.5);
    p.setPen(ink);
    DrawStroke(p, Arc(300, 296, 15, 9, 20, 160, 10), wobble, 0.8);                // frown
    DrawStroke(p, {{300, 304}, {301, 350}, {302, 402}}, wobble, 1.5);             // body
    DrawStroke(p, {{302, 402}, {280, 440}, {262, 478}, {245, 480}}, wobble, 1.5); // legs, planted wide
    DrawStroke(p, {{302, 402}, {325, 440}, {345, 478}, {362, 480}}, wobble, 1.5);
    DrawStroke(p, {{300, 326}, {262, 352}, {289, 380}}, wobble, 1.5); // a hand on the hip
    DrawStroke(p, {{300, 322}, {350, 300}, {376, 246}}, wobble, 1.5); // the raised arm

    p.setBrush(QColor(25, 25, 25)); // the fist
    p.drawEllipse(QPointF(382, 232), 16, 15);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(25, 25, 25), 4, Qt::SolidLine, Qt::RoundCap));
    for (const Stroke& shake : {Stroke{{407, 205}, {423, 193}}, Stroke{{412, 229}, {431, 228}},
                                Stroke{{407, 254}, {422, 265}}, Stroke{{358, 206}, {346, 192}}})
        DrawStroke(p, shake, wobble, 1);
    DrawStroke(p, Arc(382, 232, 34, 34, -30, 70, 10), wobble, 0.8);
    DrawStroke(p, Arc(382, 232, 46, 46, -20, 60, 10), wobble, 0.8);

    p.setPen(QPen(QColor(205, 20, 20), 4, Qt::SolidLine, Qt::RoundCap)); // the angry vein over the brow
    for (int q = 0; q < 4; ++q) {
        const double a = 45 + 90 * q;
        DrawStroke(p, Arc(262, 226, 12, 12, a - 30, a + 30, 6), wobble, 0.4);
    }
    p.setPen(QPen(QColor(25, 25, 25), 3, Qt::SolidLine, Qt::RoundCap)); // steam over the head
    DrawStroke(p, {{284, 214}, {280, 207}, {286, 200}}, wobble, 0.6);
    DrawStroke(p, {{316, 214}, {320, 207}, {314, 200}}, wobble, 0.6);
}

} // namespace

QImage DrawOpenPortErrorPicture() {
    QImage image(kOpenPortErrorPictureWidth, kOpenPortErrorPictureHeight, QImage::Format_RGB888);
    image.fill(QColor(255, 252, 236));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    Wobble wobble(20240305u);

    p.setPen(QPen(QColor(200, 24, 24), 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    DrawLettering(p, u"СНАЧАЛА", 299.5, 22, 40, 58, wobble);
    DrawLettering(p, u"ОТКРОЙ ПОРТ!", 299.5, 102, 38, 58, wobble);
    p.setPen(QPen(QColor(200, 24, 24), 5, Qt::SolidLine, Qt::RoundCap));
    DrawStroke(p, {{70, 182}, {200, 177}, {360, 180}, {530, 174}}, wobble, 2); // underlined, hard
    DrawStroke(p, {{110, 192}, {300, 187}, {490, 190}}, wobble, 2);

    DrawAngryFigure(p, wobble);
    p.end();
    return image;
}

} // namespace trelvo
