// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the program's own pictures: the splash picture and the five drive
// symbols of the motion animation. Run through scripts/make-images, which
// passes the output folder (data/images) as the only argument.

#include <QColor>
#include <QDir>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>

#include <cstdio>

namespace {

const QColor kAccent(0xf2, 0xc1, 0x4e);     // yellow of the maker's name and the marker lines
const QColor kTextLight(0xf4, 0xf7, 0xfa);
const QColor kTextMuted(0xc3, 0xd0, 0xdc);

QFont sansFont(qreal pixelSize, bool bold, qreal letterSpacing = 0)
{
    QFont font(QStringLiteral("Sans"));
    font.setPixelSize(qRound(pixelSize));
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    if (letterSpacing != 0)
        font.setLetterSpacing(QFont::AbsoluteSpacing, letterSpacing);
    return font;
}

// Vertical gradient that makes a horizontal part look round (shaft, body).
QLinearGradient cylinderShade(qreal top, qreal bottom, const QColor &dark, const QColor &light)
{
    QLinearGradient g(0, top, 0, bottom);
    g.setColorAt(0.0, dark.lighter(115));
    g.setColorAt(0.22, light);
    g.setColorAt(0.45, light.darker(112));
    g.setColorAt(0.85, dark);
    g.setColorAt(1.0, dark.darker(125));
    return g;
}

void drawSevenSegmentLikeText(QPainter &p, const QRectF &box, const QString &text)
{
    QFont font(QStringLiteral("Monospace"));
    font.setPixelSize(qRound(box.height() * 0.72));
    font.setBold(true);
    font.setHintingPreference(QFont::PreferNoHinting);
    p.setFont(font);
    // Dim "all segments" ghost behind the reading, as on a real LED display.
    p.setPen(QColor(0x3c, 0xff, 0x8c, 40));
    p.drawText(box, Qt::AlignCenter, QStringLiteral("8.888"));
    p.setPen(QColor(0x6c, 0xff, 0xa4));
    p.drawText(box, Qt::AlignCenter, text);
}

// Side view of an integrated positioning drive: shaft to the left, flange,
// motor body, electronics housing with display, connector and cable.
void drawDrive(QPainter &p, qreal x0, qreal cy)
{
    p.save();

    // Soft floor shadow.
    {
        QRadialGradient g(QPointF(x0 + 250, cy + 86), 260);
        g.setColorAt(0.0, QColor(0, 0, 0, 110));
        g.setColorAt(1.0, QColor(0, 0, 0, 0));
        p.save();
        p.translate(x0 + 250, cy + 86);
        p.scale(1.0, 0.09);
        p.translate(-(x0 + 250), -(cy + 86));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawEllipse(QPointF(x0 + 250, cy + 86), 260, 260);
        p.restore();
    }

    const QColor steelDark(0x6a, 0x74, 0x7e);
    const QColor steelLight(0xf2, 0xf5, 0xf8);
    const QColor bodyDark(0x16, 0x1c, 0x23);
    const QColor bodyLight(0x5d, 0x6b, 0x79);
    const QColor housingDark(0x2c, 0x3f, 0x52);
    const QColor housingLight(0x9d, 0xb4, 0xca);
    const QPen edge(QColor(0x0b, 0x10, 0x15, 200), 1.0);

    // Cable first, so the connector covers its end.
    {
        const qreal cx = x0 + 418;
        QPainterPath cable;
        cable.moveTo(cx, cy - 92);
        cable.cubicTo(cx, cy - 124, x0 + 524, cy - 128, x0 + 528, cy - 60);
        cable.cubicTo(x0 + 534, cy + 10, x0 + 536, cy + 60, x0 + 560, cy + 200);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(0x0c, 0x10, 0x14), 13, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(cable);
        p.setPen(QPen(QColor(0x2e, 0x36, 0x3f), 9, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(cable);
        p.setPen(QPen(QColor(0x70, 0x7c, 0x88, 150), 2.2, Qt::SolidLine, Qt::RoundCap));
        p.translate(-2.2, -1.5);
        p.drawPath(cable);
        p.translate(2.2, 1.5);
    }

    // Shaft with key.
    {
        const QRectF shaft(x0, cy - 11, 96, 22);
        p.setPen(edge);
        p.setBrush(cylinderShade(shaft.top(), shaft.bottom(), steelDark, steelLight));
        QPainterPath path;
        path.moveTo(shaft.right(), shaft.top());
        path.lineTo(shaft.left() + 3, shaft.top());
        path.quadTo(shaft.left(), shaft.top(), shaft.left(), shaft.top() + 3);
        path.lineTo(shaft.left(), shaft.bottom() - 3);
        path.quadTo(shaft.left(), shaft.bottom(), shaft.left() + 3, shaft.bottom());
        path.lineTo(shaft.right(), shaft.bottom());
        p.drawPath(path);
        const QRectF key(x0 + 14, cy - 15, 44, 5);
        p.setBrush(cylinderShade(key.top(), key.bottom() + 6, steelDark, QColor(0xd8, 0xde, 0xe4)));
        p.drawRoundedRect(key, 2, 2);
    }

    // Centering collar.
    {
        const QRectF collar(x0 + 88, cy - 36, 16, 72);
        p.setPen(edge);
        p.setBrush(cylinderShade(collar.top(), collar.bottom(), QColor(0x4c, 0x56, 0x60), QColor(0xd4, 0xdb, 0xe2)));
        p.drawRoundedRect(collar, 2.5, 2.5);
    }

    // Square flange.
    {
        const QRectF flange(x0 + 104, cy - 76, 26, 152);
        QLinearGradient g(0, flange.top(), 0, flange.bottom());
        g.setColorAt(0.0, QColor(0x6e, 0x7c, 0x8a));
        g.setColorAt(0.12, QColor(0x9a, 0xa8, 0xb6));
        g.setColorAt(0.5, QColor(0x3c, 0x47, 0x52));
        g.setColorAt(1.0, QColor(0x1a, 0x21, 0x28));
        p.setPen(edge);
        p.setBrush(g);
        p.drawRoundedRect(flange, 3, 3);
        // Chamfer highlight on the front edge.
        p.setPen(QPen(QColor(255, 255, 255, 70), 1.5));
        p.drawLine(QPointF(flange.left() + 2, flange.top() + 4), QPointF(flange.left() + 2, flange.bottom() - 4));
    }

    // Motor body.
    const QRectF body(x0 + 130, cy - 64, 226, 128);
    {
        p.setPen(edge);
        p.setBrush(cylinderShade(body.top(), body.bottom(), bodyDark, bodyLight));
        p.drawRect(body);
        // Edges of the square profile seen from the side.
        p.setPen(QPen(QColor(255, 255, 255, 38), 1.0));
        p.drawLine(QPointF(body.left(), body.top() + 14.5), QPointF(body.right(), body.top() + 14.5));
        p.setPen(QPen(QColor(0, 0, 0, 70), 1.0));
        p.drawLine(QPointF(body.left(), body.bottom() - 14.5), QPointF(body.right(), body.bottom() - 14.5));
        // Rating plate.
        const QRectF plate(body.left() + 54, cy - 20, 118, 40);
        QLinearGradient pg(0, plate.top(), 0, plate.bottom());
        pg.setColorAt(0.0, kAccent.lighter(112));
        pg.setColorAt(1.0, kAccent.darker(118));
        p.setPen(QPen(QColor(0x5a, 0x44, 0x08), 1.0));
        p.setBrush(pg);
        p.drawRoundedRect(plate, 3, 3);
        p.setPen(QColor(0x1d, 0x22, 0x28));
        p.setFont(sansFont(17, true, 2.5));
        p.drawText(plate.adjusted(0, 2, 0, -14), Qt::AlignCenter, QStringLiteral("ZYNT"));
        p.setFont(sansFont(8.5, false, 1.2));
        p.drawText(plate.adjusted(0, 22, 0, -2), Qt::AlignCenter, QStringLiteral("HEXWALD"));
    }

    // Electronics housing with display and status LEDs.
    const QRectF housing(body.right(), cy - 70, 104, 140);
    {
        p.setPen(edge);
        p.setBrush(cylinderShade(housing.top(), housing.bottom(), housingDark, housingLight));
        QPainterPath path;
        path.addRoundedRect(housing, 6, 6);
        p.drawPath(path);
        // Seam to the motor body.
        p.setPen(QPen(QColor(0, 0, 0, 120), 2.0));
        p.drawLine(QPointF(housing.left(), housing.top() + 2), QPointF(housing.left(), housing.bottom() - 2));

        const QRectF bezel(housing.left() + 16, cy - 36, 72, 32);
        p.setPen(QPen(QColor(0x0a, 0x0f, 0x14), 1.0));
        p.setBrush(QColor(0x1b, 0x24, 0x2d));
        p.drawRoundedRect(bezel, 3, 3);
        const QRectF screen = bezel.adjusted(4, 4, -4, -4);
        QLinearGradient sg(0, screen.top(), 0, screen.bottom());
        sg.setColorAt(0.0, QColor(0x08, 0x1a, 0x12));
        sg.setColorAt(1.0, QColor(0x03, 0x0d, 0x08));
        p.setPen(Qt::NoPen);
        p.setBrush(sg);
        p.drawRect(screen);
        drawSevenSegmentLikeText(p, screen, QStringLiteral("0.000"));

        // Status LEDs.
        const QColor leds[] = {QColor(0x4c, 0xe0, 0x6a), kAccent};
        for (int i = 0; i < 2; ++i) {
            const QPointF c(housing.left() + 30 + i * 16, cy + 16);
            QRadialGradient lg(c - QPointF(1, 1), 4.5);
            lg.setColorAt(0.0, leds[i].lighter(160));
            lg.setColorAt(1.0, leds[i].darker(130));
            p.setPen(QPen(QColor(0x0a, 0x0f, 0x14), 1.0));
            p.setBrush(lg);
            p.drawEllipse(c, 4, 4);
        }
        // Two keys beside the LEDs.
        for (int i = 0; i < 2; ++i) {
            const QRectF keyRect(housing.left() + 62 + i * 14, cy + 10, 10, 12);
            QLinearGradient kg(0, keyRect.top(), 0, keyRect.bottom());
            kg.setColorAt(0.0, QColor(0x55, 0x62, 0x70));
            kg.setColorAt(1.0, QColor(0x22, 0x2a, 0x33));
            p.setBrush(kg);
            p.drawRoundedRect(keyRect, 2, 2);
        }
        // Vent slots.
        p.setPen(QPen(QColor(0x10, 0x18, 0x20, 160), 2.0, Qt::SolidLine, Qt::RoundCap));
        for (int i = 0; i < 5; ++i) {
            const qreal x = housing.left() + 26 + i * 12;
            p.drawLine(QPointF(x, cy + 38), QPointF(x, cy + 56));
        }
    }

    // End cap.
    {
        const QRectF cap(housing.right() - 1, cy - 58, 12, 116);
        p.setPen(edge);
        p.setBrush(cylinderShade(cap.top(), cap.bottom(), QColor(0x1e, 0x28, 0x32), QColor(0x74, 0x86, 0x98)));
        p.drawRoundedRect(cap, 4, 4);
    }

    // Connector on top of the housing.
    {
        const qreal cx = x0 + 418;
        const QRectF nut(cx - 17, cy - 92, 34, 14);
        p.setPen(edge);
        p.setBrush(cylinderShade(nut.top() - 10, nut.bottom() + 10, QColor(0x5a, 0x64, 0x6e), QColor(0xe6, 0xea, 0xee)));
        p.drawRoundedRect(nut, 2, 2);
        const QRectF base(cx - 22, housing.top() - 8, 44, 10);
        QLinearGradient bg(base.left(), 0, base.right(), 0);
        bg.setColorAt(0.0, QColor(0x2a, 0x33, 0x3c));
        bg.setColorAt(0.4, QColor(0x6d, 0x79, 0x85));
        bg.setColorAt(1.0, QColor(0x1e, 0x25, 0x2c));
        p.setBrush(bg);
        p.drawRoundedRect(base, 2, 2);
        // Knurling on the nut.
        p.setPen(QPen(QColor(0, 0, 0, 60), 1.0));
        for (qreal x = nut.left() + 4; x < nut.right() - 2; x += 3)
            p.drawLine(QPointF(x, nut.top() + 2), QPointF(x, nut.bottom() - 2));
    }

    p.restore();
}

bool saveImage(const QImage &image, const QString &path)
{
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "make-images: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s  %dx%d\n", qPrintable(path), image.width(), image.height());
    return true;
}

QImage makeSplash()
{
    QImage image(640, 482, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);

    QLinearGradient bg(0, 0, 0, image.height());
    bg.setColorAt(0.0, QColor(0x1c, 0x27, 0x33));
    bg.setColorAt(0.55, QColor(0x33, 0x46, 0x5a));
    bg.setColorAt(1.0, QColor(0x4b, 0x62, 0x7a));
    p.fillRect(image.rect(), bg);

    // Faint drawing-board grid.
    p.setPen(QPen(QColor(255, 255, 255, 9), 1.0));
    for (int x = 8; x < image.width(); x += 24)
        p.drawLine(QPointF(x + 0.5, 0), QPointF(x + 0.5, image.height()));
    for (int y = 2; y < image.height(); y += 24)
        p.drawLine(QPointF(0, y + 0.5), QPointF(image.width(), y + 0.5));

    // Light behind the drive.
    {
        QRadialGradient glow(QPointF(330, 320), 300);
        glow.setColorAt(0.0, QColor(0x9c, 0xb8, 0xd4, 70));
        glow.setColorAt(1.0, QColor(0x9c, 0xb8, 0xd4, 0));
        p.fillRect(image.rect(), glow);
    }

    // The window covers the top 32 rows and a few at the bottom and right,
    // so all content keeps well inside rows 44..440 and columns 0..620.
    const qreal left = 40;
    const qreal right = 600;

    p.setPen(kAccent);
    p.setFont(sansFont(20, true, 6));
    p.drawText(QPointF(left, 72), QStringLiteral("HEXWALD"));

    p.setPen(QPen(kAccent, 2.0));
    p.drawLine(QPointF(left, 86), QPointF(right, 86));

    p.setPen(kTextLight);
    p.setFont(sansFont(34, true));
    p.drawText(QPointF(left - 2, 128), QStringLiteral("ZYNT Programmiersoftware"));

    p.setPen(kAccent.lighter(108));
    p.setFont(sansFont(20, false, 0.5));
    p.drawText(QPointF(left, 157), QStringLiteral("Version V " ZYNT_VERSION));

    p.setPen(kTextMuted);
    p.setFont(sansFont(15, false, 0.3));
    p.drawText(QPointF(left, 184), QStringLiteral("Positionierantriebe \u2013 Inbetriebnahme und Programmierung"));

    drawDrive(p, 62, 322);

    // Bottom rule closing the picture.
    p.setPen(QPen(QColor(255, 255, 255, 60), 1.0));
    p.drawLine(QPointF(left, 430.5), QPointF(right, 430.5));

    p.end();
    return image.convertToFormat(QImage::Format_RGB32);
}

// Front view of a small motor: square flange with four bolt holes, pilot ring
// and a coupling disc whose marker stands at the given angle. Drawn on a grid
// of 34 units, the animation's size, and scaled to size pixels; the program's
// icon is phase 1 (data/icons/zynt.svg draws the same shapes).
QImage makeDriveSymbol(int phase, int size = 34)
{
    // Render at 4x and scale down: cleaner edges than antialiasing alone at
    // the small sizes.
    const int scale = 4;
    QImage big(size * scale, size * scale, QImage::Format_ARGB32_Premultiplied);
    big.fill(Qt::transparent);
    QPainter p(&big);
    p.setRenderHints(QPainter::Antialiasing);
    p.scale(scale * size / 34.0, scale * size / 34.0);

    const QPointF c(17, 17);

    // Flange.
    const QRectF flange(1.5, 1.5, 31, 31);
    QLinearGradient fg(flange.topLeft(), flange.bottomRight());
    fg.setColorAt(0.0, QColor(0x7d, 0x8e, 0x9f));
    fg.setColorAt(0.5, QColor(0x4a, 0x5a, 0x6a));
    fg.setColorAt(1.0, QColor(0x2a, 0x35, 0x40));
    p.setPen(QPen(QColor(0x1a, 0x22, 0x2a), 1.0));
    p.setBrush(fg);
    p.drawRoundedRect(flange, 5, 5);

    // Bolt holes.
    const QPointF holes[] = {{6.5, 6.5}, {27.5, 6.5}, {6.5, 27.5}, {27.5, 27.5}};
    for (const QPointF &h : holes) {
        p.setPen(QPen(QColor(0xa8, 0xb6, 0xc4), 0.6));
        p.setBrush(QColor(0x12, 0x18, 0x1e));
        p.drawEllipse(h, 2.0, 2.0);
    }

    // Pilot ring.
    {
        QLinearGradient rg(c - QPointF(12, 12), c + QPointF(12, 12));
        rg.setColorAt(0.0, QColor(0x2c, 0x37, 0x42));
        rg.setColorAt(1.0, QColor(0x9a, 0xaa, 0xba));
        p.setPen(QPen(QColor(0x1a, 0x22, 0x2a), 0.8));
        p.setBrush(rg);
        p.drawEllipse(c, 12.0, 12.0);
    }

    // Coupling disc.
    {
        QRadialGradient dg(c - QPointF(3, 3), 13);
        dg.setColorAt(0.0, QColor(0xfa, 0xfb, 0xfc));
        dg.setColorAt(0.7, QColor(0xc4, 0xcc, 0xd4));
        dg.setColorAt(1.0, QColor(0x8c, 0x96, 0xa0));
        p.setPen(QPen(QColor(0x3a, 0x44, 0x4e), 0.9));
        p.setBrush(dg);
        p.drawEllipse(c, 9.5, 9.5);
    }

    // Marker: turns clockwise by 72 degrees per phase, starting at the top.
    p.save();
    p.translate(c);
    p.rotate(72.0 * (phase - 1));
    {
        QPainterPath marker;
        marker.moveTo(-1.8, -2.0);
        marker.lineTo(-2.2, -8.6);
        marker.quadTo(0, -9.6, 2.2, -8.6);
        marker.lineTo(1.8, -2.0);
        marker.closeSubpath();
        p.setPen(QPen(QColor(0x6a, 0x2a, 0x00), 0.7));
        p.setBrush(QColor(0xf0, 0x7a, 0x10));
        p.drawPath(marker);
    }
    p.restore();

    // Shaft end.
    {
        QRadialGradient sg(c - QPointF(0.8, 0.8), 3.2);
        sg.setColorAt(0.0, QColor(0x70, 0x7a, 0x84));
        sg.setColorAt(1.0, QColor(0x20, 0x28, 0x30));
        p.setPen(QPen(QColor(0x10, 0x14, 0x18), 0.6));
        p.setBrush(sg);
        p.drawEllipse(c, 2.8, 2.8);
    }

    p.end();
    return big.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_ARGB32);
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: make-images IMAGES-FOLDER ICONS-FOLDER\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const QDir icons(QString::fromLocal8Bit(argv[2]));
    for (const QDir &dir : {out, icons}) {
        if (!dir.exists()) {
            std::fprintf(stderr, "make-images: folder %s does not exist\n", qPrintable(dir.path()));
            return 1;
        }
    }

    bool ok = saveImage(makeSplash(), out.filePath(QStringLiteral("splash.png")));
    for (int phase = 1; phase <= 5; ++phase)
        ok = saveImage(makeDriveSymbol(phase), out.filePath(QStringLiteral("drive%1.png").arg(phase))) && ok;
    // The desktop's icon in the sizes of the hicolor theme that menus, docks
    // and software centres ask for.
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1x%1").arg(size);
        if (!icons.mkpath(folder)) {
            std::fprintf(stderr, "make-images: cannot make %s\n", qPrintable(icons.filePath(folder)));
            ok = false;
            continue;
        }
        ok = saveImage(makeDriveSymbol(1, size), icons.filePath(folder + QStringLiteral("/zynt.png"))) && ok;
    }
    return ok ? 0 : 1;
}
