// Draws the program's pictures into resources/: the splash bitmap (655 x 368, 24-bit BMP), the
// program icon (32 x 32, 16 colours; also as PNG for menus), the thirteen 16 x 16 role icons of the
// contact tree and the icon of the entries the operator adds.
//
//   QT_QPA_PLATFORM=offscreen build/release/tools/drawartwork resources

#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtEndian>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

void put16(QByteArray &out, quint16 v)
{
    out.append(char(v & 0xFF)).append(char(v >> 8));
}

void put32(QByteArray &out, quint32 v)
{
    put16(out, quint16(v & 0xFFFF));
    put16(out, quint16(v >> 16));
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

// Uncompressed 24-bit BMP, rows bottom-up, each padded to four bytes.
QByteArray bmp24(const QImage &image)
{
    const int rowSize = (image.width() * 3 + 3) & ~3;
    const quint32 pixels = quint32(rowSize * image.height());
    QByteArray out;
    out.append("BM");
    put32(out, 14 + 40 + pixels);
    put32(out, 0);
    put32(out, 14 + 40);
    put32(out, 40);
    put32(out, quint32(image.width()));
    put32(out, quint32(image.height()));
    put16(out, 1);
    put16(out, 24);
    put32(out, 0);
    put32(out, pixels);
    put32(out, 2835);
    put32(out, 2835);
    put32(out, 0);
    put32(out, 0);
    for (int y = image.height() - 1; y >= 0; --y) {
        QByteArray row;
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            row.append(char(qBlue(p))).append(char(qGreen(p))).append(char(qRed(p)));
        }
        row.append(QByteArray(rowSize - row.size(), '\0'));
        out.append(row);
    }
    return out;
}

// The sixteen colours of the standard VGA palette.
const QRgb kVga[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                       0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                       0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};

int nearestVga(QRgb c)
{
    int best = 0;
    int bestDistance = INT_MAX;
    for (int i = 0; i < 16; ++i) {
        const int dr = qRed(c) - qRed(kVga[i]);
        const int dg = qGreen(c) - qGreen(kVga[i]);
        const int db = qBlue(c) - qBlue(kVga[i]);
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

// A one-image .ico: 4-bit colour with the VGA palette and a 1-bit transparency mask.
QByteArray ico16Colours(const QImage &image)
{
    const int w = image.width();
    const int h = image.height();
    const int xorRow = (w / 2 + 3) & ~3;
    const int andRow = ((w + 31) / 32) * 4;
    QByteArray dib;
    put32(dib, 40);
    put32(dib, quint32(w));
    put32(dib, quint32(h * 2));
    put16(dib, 1);
    put16(dib, 4);
    put32(dib, 0);
    put32(dib, quint32((xorRow + andRow) * h));
    put32(dib, 0);
    put32(dib, 0);
    put32(dib, 16);
    put32(dib, 0);
    for (const QRgb c : kVga) {
        dib.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c))).append('\0');
    }
    for (int y = h - 1; y >= 0; --y) {
        QByteArray row(xorRow, '\0');
        for (int x = 0; x < w; ++x) {
            const QRgb p = image.pixel(x, y);
            const int index = qAlpha(p) < 128 ? 0 : nearestVga(p);
            row[x / 2] = char(row[x / 2] | (x % 2 ? index : index << 4));
        }
        dib.append(row);
    }
    for (int y = h - 1; y >= 0; --y) {
        QByteArray row(andRow, '\0');
        for (int x = 0; x < w; ++x) {
            if (qAlpha(image.pixel(x, y)) < 128)
                row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
        }
        dib.append(row);
    }
    QByteArray out;
    put16(out, 0);
    put16(out, 1);
    put16(out, 1);
    out.append(char(w)).append(char(h)).append(char(16)).append('\0');
    put16(out, 1);
    put16(out, 4);
    put32(out, quint32(dib.size()));
    put32(out, 6 + 16);
    return out + dib;
}

// A kingfisher (the halcyon) in flight, drawn into the square at `box`.
void drawHalcyon(QPainter &p, const QRectF &box, const QColor &back, const QColor &belly)
{
    p.save();
    p.translate(box.topLeft());
    p.scale(box.width() / 100.0, box.height() / 100.0);
    QPainterPath wing;
    wing.moveTo(30, 52);
    wing.cubicTo(40, 15, 70, 8, 95, 12);
    wing.cubicTo(75, 25, 62, 40, 55, 55);
    wing.closeSubpath();
    QPainterPath body;
    body.addEllipse(QRectF(18, 45, 52, 26));
    QPainterPath tail;
    tail.moveTo(62, 55);
    tail.lineTo(92, 70);
    tail.lineTo(64, 68);
    tail.closeSubpath();
    QPainterPath beak;
    beak.moveTo(22, 52);
    beak.lineTo(2, 60);
    beak.lineTo(22, 60);
    beak.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(back);
    p.drawPath(wing.united(tail));
    p.drawPath(body);
    p.setBrush(belly);
    p.drawEllipse(QRectF(26, 58, 34, 12));
    p.setBrush(QColor(30, 30, 30));
    p.drawPath(beak);
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(25, 50, 7, 7));
    p.setBrush(Qt::black);
    p.drawEllipse(QRectF(27, 52, 3.5, 3.5));
    p.restore();
}

QImage splash()
{
    // Rows 0-7 and columns 633-654 lie outside the window; keep the design inside.
    QImage image(655, 368, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 368);
    sky.setColorAt(0, QColor(8, 38, 84));
    sky.setColorAt(0.65, QColor(22, 110, 160));
    sky.setColorAt(1, QColor(120, 200, 215));
    p.fillRect(image.rect(), sky);
    QRadialGradient sun(QPointF(520, 120), 140);
    sun.setColorAt(0, QColor(255, 236, 170, 200));
    sun.setColorAt(1, QColor(255, 236, 170, 0));
    p.fillRect(image.rect(), sun);
    // Calm water.
    for (int i = 0; i < 6; ++i) {
        QPainterPath wave;
        const double y = 300 + i * 11;
        wave.moveTo(0, y);
        for (int x = 0; x <= 655; x += 40)
            wave.quadTo(x + 10, y - 5, x + 20, y);
        p.setPen(QPen(QColor(255, 255, 255, 60 - i * 8), 2));
        p.setBrush(Qt::NoBrush);
        p.drawPath(wave);
    }
    drawHalcyon(p, QRectF(440, 30, 190, 190), QColor(0, 150, 200), QColor(240, 140, 40));

    p.setPen(Qt::white);
    QFont title(u"NanumSquareRound"_s);
    title.setPixelSize(54);
    title.setBold(true);
    p.setFont(title);
    p.drawText(QRectF(36, 100, 560, 70), Qt::AlignLeft | Qt::AlignVCenter, u"Halcyra Server"_s);
    QFont subtitle(u"NanumGothic"_s);
    subtitle.setPixelSize(24);
    subtitle.setBold(true);
    p.setFont(subtitle);
    p.setPen(QColor(220, 240, 255));
    p.drawText(QRectF(40, 170, 560, 36), Qt::AlignLeft | Qt::AlignVCenter,
               u"우리 학교 채팅 서버"_s);
    QFont small(u"NanumGothic"_s);
    small.setPixelSize(14);
    p.setFont(small);
    p.setPen(QColor(235, 245, 255));
    p.drawText(QRectF(40, 330, 580, 24), Qt::AlignLeft | Qt::AlignVCenter,
               u"Halcyra V.10  ·  TCP 5000에서 클라이언트를 기다립니다"_s);
    return image;
}

// The bird on a disc of the colour: navy for the server, a board's green for the student's program.
QImage programIcon(const QColor &disc = QColor(0, 0, 128))
{
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setPen(Qt::NoPen);
    p.setBrush(disc);
    p.drawEllipse(QRect(0, 0, 32, 32));
    drawHalcyon(p, QRectF(1, 1, 30, 30), QColor(0, 255, 255), QColor(255, 255, 0));
    return image;
}

struct Role
{
    QString syllable;
    QColor colour;
};

// One tile per school role: the role's first syllable on its own colour.
const Role kRoles[13] = {
    {u"장"_s, QColor(200, 150, 0)},  {u"감"_s, QColor(230, 110, 20)},
    {u"국"_s, QColor(200, 40, 40)},  {u"영"_s, QColor(40, 80, 200)},
    {u"수"_s, QColor(120, 50, 170)}, {u"사"_s, QColor(0, 130, 130)},
    {u"과"_s, QColor(30, 140, 60)},  {u"체"_s, QColor(220, 80, 120)},
    {u"기"_s, QColor(90, 90, 100)},  {u"가"_s, QColor(150, 90, 40)},
    {u"미"_s, QColor(200, 60, 200)}, {u"보"_s, QColor(0, 150, 200)},
    {u"도"_s, QColor(110, 130, 40)},
};

// A 16 x 16 rounded tile of the colour, with the painter left ready to draw on it.
QImage tile(const QColor &colour, const std::function<void(QPainter &)> &draw)
{
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
    draw(p);
    return image;
}

QImage roleIcon(const Role &role)
{
    return tile(role.colour, [&](QPainter &p) {
        QFont font(u"NanumGothic"_s);
        font.setPixelSize(12);
        font.setBold(true);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, role.syllable);
    });
}

// An entry the operator adds: a person on a neutral tile, unlike every role.
QImage friendIcon()
{
    return tile(QColor(130, 140, 150), [](QPainter &p) {
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(5, 2.5, 6, 6));
        p.drawChord(QRectF(2.5, 9, 11, 10), 0, 180 * 16);
    });
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : u"resources"_s);
    out.mkpath(u"roles"_s);
    bool ok = writeFile(out.filePath(u"splash.bmp"_s), bmp24(splash()));
    ok = ok && writeFile(out.filePath(u"halcyra.ico"_s), ico16Colours(programIcon()));
    // The same picture for the desktop's menus, which take PNG.
    ok = ok && QImage::fromData(ico16Colours(programIcon()), "ICO")
                   .save(out.filePath(u"halcyra-server.png"_s));
    ok = ok && writeFile(out.filePath(u"halcyra-student.ico"_s),
                         ico16Colours(programIcon(QColor(0, 110, 60))));
    ok = ok && programIcon(QColor(0, 110, 60)).save(out.filePath(u"halcyra-student.png"_s));
    ok = ok && friendIcon().save(out.filePath(u"roles/friend.png"_s));
    for (int i = 0; i < 13 && ok; ++i)
        ok = roleIcon(kRoles[i]).save(
            out.filePath(u"roles/role%1.png"_s.arg(i, 2, 10, QChar(u'0'))));
    return ok ? 0 : 1;
}
