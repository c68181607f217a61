// Paints the station's pictures into PNG files at build time, so every picture
// comes from one palette and one drawing style and no binary art is kept in
// the repository.
//
// usage: drawpictures <output dir> <icon font file>

#include <QDir>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTextStream>
#include <functional>

namespace {

// Palette shared by all pictures.
const QColor kBlue(47, 128, 209);
const QColor kTeal(29, 161, 168);
const QColor kGreen(58, 158, 110);
const QColor kOrange(254, 154, 4);
const QColor kPurple(126, 91, 194);
const QColor kRed(217, 83, 79);
const QColor kSlate(84, 110, 138);
const QColor kInk(31, 95, 168);

QString g_family;

QImage canvas(int w, int h)
{
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

void prepare(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
}

// The glyph's outline scaled so its taller side is `height`, centred on `centre`.
QPainterPath glyphPath(ushort code, const QPointF& centre, qreal height, qreal maxWidth = 0)
{
    QFont font(g_family);
    font.setPixelSize(100);
    QPainterPath path;
    path.addText(0, 0, font, QString(QChar(code)));
    const QRectF box = path.boundingRect();
    // Wide glyphs are fitted by width so they don't outgrow square tiles.
    if (maxWidth <= 0)
        maxWidth = height / 0.85;
    const qreal scale = qMin(height / box.height(), maxWidth / box.width());
    QTransform t;
    t.translate(centre.x(), centre.y());
    t.scale(scale, scale);
    t.translate(-box.center().x(), -box.center().y());
    return t.map(path);
}

void drawGlyph(
    QPainter& p, ushort code, const QPointF& centre, qreal height, const QColor& color, bool shadow = true)
{
    const QPainterPath path = glyphPath(code, centre, height);
    p.setPen(Qt::NoPen);
    if (shadow) {
        p.setBrush(QColor(0, 0, 0, 60));
        p.drawPath(path.translated(0, height * 0.04 + 0.5));
    }
    p.setBrush(color);
    p.drawPath(path);
}

// Rounded tile with a top-lit gradient of `base` and a thin inner highlight.
void drawTile(QPainter& p, const QRectF& r, const QColor& base)
{
    const qreal radius = r.width() * 0.22;
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, base.lighter(135));
    g.setColorAt(1, base.darker(115));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(r, radius, radius);
    p.setPen(QPen(QColor(255, 255, 255, 70), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(r.adjusted(1.5, 1.5, -1.5, -1.5), radius - 1.5, radius - 1.5);
}

// Small round badge with a glyph, bottom right of a tile.
void drawBadge(QPainter& p, const QPointF& centre, qreal radius, ushort code, const QColor& color)
{
    p.setPen(QPen(Qt::white, radius * 0.18));
    p.setBrush(color);
    p.drawEllipse(centre, radius, radius);
    drawGlyph(p, code, centre, radius * 1.05, Qt::white, false);
}

QImage menuTile(ushort code, const QColor& base, ushort badge = 0, const QColor& badgeColor = kOrange)
{
    const int size = 64;
    QImage img = canvas(size, size);
    QPainter p(&img);
    prepare(p);
    drawTile(p, QRectF(2, 2, size - 4, size - 5), base);
    const QPointF centre = badge ? QPointF(28, 28) : QPointF(32, 31);
    drawGlyph(p, code, centre, badge ? 30 : 34, Qt::white);
    if (badge)
        drawBadge(p, QPointF(46, 46), 11, badge, badgeColor);
    return img;
}

// Title-bar window buttons: a quiet outline when idle, filled when pressed.
QImage windowButton(bool close, bool pressed)
{
    const int size = 24;
    QImage img = canvas(size, size);
    QPainter p(&img);
    prepare(p);
    const QRectF r(1, 1, size - 2, size - 2);
    if (pressed) {
        const QColor base = close ? QColor(232, 17, 35) : kBlue;
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        g.setColorAt(0, base.lighter(120));
        g.setColorAt(1, base);
        p.setPen(Qt::NoPen);
        p.setBrush(g);
    } else {
        p.setPen(QPen(QColor(255, 255, 255, 110), 1));
        p.setBrush(QColor(255, 255, 255, 36));
    }
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);

    QPen pen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap);
    p.setPen(pen);
    if (close) {
        p.drawLine(QPointF(8, 8), QPointF(16, 16));
        p.drawLine(QPointF(16, 8), QPointF(8, 16));
    } else {
        p.drawLine(QPointF(7.5, 12.5), QPointF(16.5, 12.5));
    }
    return img;
}

QImage infoIcon()
{
    const int size = 32;
    QImage img = canvas(size, size);
    QPainter p(&img);
    prepare(p);
    QRadialGradient g(QPointF(12, 10), 20);
    g.setColorAt(0, QColor(255, 255, 255));
    g.setColorAt(1, QColor(222, 236, 250));
    p.setPen(QPen(QColor(255, 255, 255, 160), 1));
    p.setBrush(g);
    p.drawEllipse(QRectF(2, 2, 28, 28));
    drawGlyph(p, 0xF129, QPointF(16, 16), 17, kInk, false); // "i"
    return img;
}

QImage logo()
{
    const int size = 48;
    QImage img = canvas(size, size);
    QPainter p(&img);
    prepare(p);
    const QRectF r(2, 2, size - 4, size - 4);
    QLinearGradient g(r.topLeft(), r.bottomRight());
    g.setColorAt(0, kBlue.lighter(130));
    g.setColorAt(1, kInk.darker(110));
    p.setPen(QPen(Qt::white, 2));
    p.setBrush(g);
    p.drawEllipse(r);
    drawGlyph(p, 0xF0E7, QPointF(24, 24), 28, kOrange); // bolt
    return img;
}

// Login mode pictures: a light card with the vehicle and a charging badge.
QImage vehicle(ushort code)
{
    const int w = 200;
    const int h = 120;
    QImage img = canvas(w, h);
    QPainter p(&img);
    prepare(p);
    const QRectF r(2, 2, w - 4, h - 4);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(255, 255, 255));
    g.setColorAt(1, QColor(226, 238, 251));
    p.setPen(QPen(QColor(31, 95, 168, 90), 1.5));
    p.setBrush(g);
    p.drawRoundedRect(r, 16, 16);

    // Ground line under the vehicle.
    p.setPen(QPen(QColor(31, 95, 168, 60), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(34, 98), QPointF(166, 98));

    QPainterPath body = glyphPath(code, QPointF(96, 58), 72, 124);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 35));
    p.drawPath(body.translated(2, 3));
    QLinearGradient ink(QPointF(0, 20), QPointF(0, 95));
    ink.setColorAt(0, kBlue.lighter(115));
    ink.setColorAt(1, kInk);
    p.setBrush(ink);
    p.drawPath(body);

    drawBadge(p, QPointF(165, 30), 16, 0xF0E7, kOrange);
    return img;
}

// Border images for the progress bar; the outer 10 pixels left and right keep
// their shape, the middle stretches.
QImage progressGroove()
{
    QImage img = canvas(40, 20);
    QPainter p(&img);
    prepare(p);
    QLinearGradient g(0, 0, 0, 20);
    g.setColorAt(0, QColor(214, 222, 231));
    g.setColorAt(1, QColor(240, 244, 248));
    p.setPen(QPen(QColor(150, 160, 172), 1));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(0.5, 0.5, 39, 19), 6, 6);
    return img;
}

QImage progressFill()
{
    QImage img = canvas(40, 20);
    QPainter p(&img);
    prepare(p);
    QLinearGradient g(0, 0, 0, 20);
    g.setColorAt(0, QColor(110, 186, 246));
    g.setColorAt(0.5, kBlue);
    g.setColorAt(1, kInk);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(QRectF(1, 1, 38, 18), 5.5, 5.5);
    p.setBrush(QColor(255, 255, 255, 70));
    p.drawRoundedRect(QRectF(3, 2.5, 34, 6), 3, 3);
    return img;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        QTextStream(stderr) << "usage: drawpictures <output dir> <icon font file>\n";
        return 2;
    }
    const QString outDir = QString::fromLocal8Bit(argv[1]);
    const int fontId = QFontDatabase::addApplicationFont(QString::fromLocal8Bit(argv[2]));
    const QStringList families = QFontDatabase::applicationFontFamilies(fontId);
    if (families.isEmpty()) {
        QTextStream(stderr) << "drawpictures: cannot load " << argv[2] << "\n";
        return 1;
    }
    g_family = families.first();
    QDir().mkpath(outDir);

    const QList<QPair<QString, std::function<QImage()>>> pictures = {
        // Main menu.
        { "home", [] { return menuTile(0xF015, kBlue); } },
        { "newCard", [] { return menuTile(0xF09D, kTeal, 0xF067, kOrange); } },
        { "manAdd", [] { return menuTile(0xF007, kGreen, 0xF002, kBlue); } },
        { "pswManage", [] { return menuTile(0xF084, kOrange); } },
        { "manDelete", [] { return menuTile(0xF09D, kRed, 0xF0E2, kSlate); } },
        { "money", [] { return menuTile(0xF0D6, kGreen); } },
        { "cardSet", [] { return menuTile(0xF09D, kPurple, 0xF013, kSlate); } },
        { "syssetting", [] { return menuTile(0xF085, kSlate); } },
        { "deskTotals", [] { return menuTile(0xF080, kTeal); } },
        { "cardStatement", [] { return menuTile(0xF09D, kBlue, 0xF03A, kOrange); } },
        // System menu.
        { "export", [] { return menuTile(0xF1C0, kBlue, 0xF062, kGreen); } },
        { "import", [] { return menuTile(0xF1C0, kTeal, 0xF063, kOrange); } },
        { "chNote", [] { return menuTile(0xF0F6, kGreen); } },
        { "devPay", [] { return menuTile(0xF157, kOrange); } },
        { "blackList", [] { return menuTile(0xF05E, kRed); } },
        { "devUpd", [] { return menuTile(0xF2DB, kPurple, 0xF062, kGreen); } },
        { "dbServer", [] { return menuTile(0xF233, kBlue, 0xF1C0, kTeal); } },
        // Window chrome and the message box.
        { "winminNormal", [] { return windowButton(false, false); } },
        { "winminPress", [] { return windowButton(false, true); } },
        { "closeNor", [] { return windowButton(true, false); } },
        { "closeSel", [] { return windowButton(true, true); } },
        { "checkinfo", infoIcon },
        { "logo", logo },
        // Login mode pictures.
        { "tab_bike", [] { return vehicle(0xF206); } },
        { "tab_car", [] { return vehicle(0xF1B9); } },
        // Progress bar border images.
        { "progressbar_back", progressGroove },
        { "progressbar", progressFill },
    };

    for (const auto& picture : pictures) {
        const QString file = outDir + '/' + picture.first + ".png";
        if (!picture.second().save(file, "PNG")) {
            QTextStream(stderr) << "drawpictures: cannot write " << file << "\n";
            return 1;
        }
    }
    return 0;
}
