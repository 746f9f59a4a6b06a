// Writes the sample movie: twelve small drawn pictures and a GBK script
// with CR LF line ends. The script leaves one picture unnamed and names one
// picture that isn't there, so loading it shows both cases.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QStringEncoder>

#include <cstdio>

namespace {

constexpr int kWidth = 320, kHeight = 180;

struct Page {
    const char* file;   // name on disk; nullptr marks a script row without picture
    const char* row;    // script line, nullptr for a picture the script leaves out
};

// Order of the script; the unnamed picture comes last.
const Page kPages[] = {
    {"0001.jpg", "0001.jpg :雨停了，小雨点把一张旧报纸折成了一只纸船。"},
    {"0002.jpg", "0002.jpg :纸船被放进门前的小水沟，晃了晃，出发了。"},
    {"0003.jpg", "0003.jpg"},
    {"0004.png", "0004.png :一只青蛙跳上船头：“带我一程吧！”"},
    {"0005.jpg", "0005.jpg :水沟汇进小河，两岸的芦苇向它们点头。"},
    {"0006.jpg", "0006.jpg :忽然起风了，纸船打着转，青蛙紧紧抱住桅杆。"},
    {"0007.jpg", "0007.jpg"},
    {"0008.jpg", "0008.jpg :风停了，一片荷叶接住了摇摇晃晃的纸船。"},
    {"0009.png", "0009.png :青蛙挥挥手 :“我到家了，谢谢你！”"},
    {"0010.jpg", "0010.jpg :纸船独自漂向远方，天边出现了彩虹。"},
    {"0011.jpg", "0011.jpg :傍晚，它停在一个小女孩的脚边。"},
    {nullptr, "0013.jpg :小女孩把纸船晾干，夹进了自己的日记本。"},
    {"0012.jpg", nullptr},
};

// Skies wander round the colour wheel; water stays in the blues.
QColor skyColour(int page, int saturation, int value) {
    return QColor::fromHsv((page * 37 + 190) % 360, saturation, value);
}
QColor waterColour(int page, int saturation, int value) {
    return QColor::fromHsv(180 + (page * 13) % 50, saturation, value);
}

void drawBoat(QPainter& p, QPointF at, qreal scale, qreal tilt) {
    p.save();
    p.translate(at);
    p.rotate(tilt);
    p.scale(scale, scale);
    QPainterPath hull;
    hull.moveTo(-40, 0);
    hull.lineTo(40, 0);
    hull.lineTo(26, 16);
    hull.lineTo(-26, 16);
    hull.closeSubpath();
    p.setPen(QPen(QColor(90, 90, 90), 1.5));
    p.setBrush(QColor(245, 245, 235));
    p.drawPath(hull);
    p.drawPolygon(QPolygonF({QPointF(-4, 0), QPointF(4, -36), QPointF(22, 0)}));
    p.restore();
}

void drawFrog(QPainter& p, QPointF at) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 170, 70));
    p.drawEllipse(at, 14, 10);
    p.setBrush(Qt::white);
    p.drawEllipse(at + QPointF(-6, -9), 4, 4);
    p.drawEllipse(at + QPointF(6, -9), 4, 4);
    p.setBrush(Qt::black);
    p.drawEllipse(at + QPointF(-6, -9), 1.5, 1.5);
    p.drawEllipse(at + QPointF(6, -9), 1.5, 1.5);
}

QImage drawPage(int page, bool flatColours) {
    QImage img(kWidth, kHeight, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const int waterTop = 110 + (page % 3) * 8;

    // Sky, then water; PNG pages stay flat so the files remain small.
    if (flatColours) {
        p.fillRect(0, 0, kWidth, waterTop, skyColour(page, 60, 235));
        p.fillRect(0, waterTop, kWidth, kHeight - waterTop, waterColour(page, 150, 170));
    } else {
        QLinearGradient sky(0, 0, 0, waterTop);
        sky.setColorAt(0, skyColour(page, 90, 250));
        sky.setColorAt(1, skyColour(page + 1, 30, 255));
        p.fillRect(0, 0, kWidth, waterTop, sky);
        QLinearGradient water(0, waterTop, kWidth, kHeight);
        water.setColorAt(0, waterColour(page, 160, 200));
        water.setColorAt(1, waterColour(page + 1, 200, 120));
        p.fillRect(0, waterTop, kWidth, kHeight - waterTop, water);
    }

    // Something of the scene on every page.
    p.setPen(Qt::NoPen);
    if (page >= 10) {
        // Rainbow and evening sun.
        const QColor bands[] = {Qt::red, QColor(255, 150, 0), Qt::yellow, QColor(40, 180, 60),
                                QColor(40, 100, 230)};
        for (int i = 0; i < 5; ++i) {
            p.setPen(QPen(bands[i], 5));
            p.drawArc(QRectF(60 + i * 6, 30 + i * 6, 200 - i * 12, 160 - i * 12), 0, 180 * 16);
        }
        p.setPen(Qt::NoPen);
    } else {
        p.setBrush(QColor(255, 230, 120));
        p.drawEllipse(QPointF(30 + (page * 23) % 190, 34), 16, 16);
    }
    p.setPen(QPen(QColor(255, 255, 255, 160), 2));
    for (int i = 0; i < 4; ++i) {
        const int y = waterTop + 14 + i * 12;
        for (int x = (i * 17) % 40; x < kWidth; x += 60) p.drawArc(x, y, 24, 8, 0, 180 * 16);
    }
    if (page == 5 || page == 8) {
        // Reeds and a lotus leaf.
        p.setPen(QPen(QColor(70, 120, 40), 3));
        for (int x = 10; x < 80; x += 12) p.drawLine(x, waterTop + 4, x + 6, waterTop - 40);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(50, 140, 60));
        p.drawPie(QRectF(180, waterTop - 4, 110, 34), 30 * 16, 320 * 16);
    }
    const qreal tilt = page == 6 ? -24 : (page == 7 ? 18 : 0);
    if (page != 12) drawBoat(p, QPointF(120 + (page * 13) % 90, waterTop - 6), 1.0 + page * 0.03, tilt);
    if (page >= 4 && page <= 9) drawFrog(p, QPointF(150 + (page * 13) % 90, waterTop - 30));

    // The page number, large enough to tell the pages apart at a glance.
    QFont font;
    font.setPixelSize(30);
    font.setBold(true);
    p.setFont(font);
    const QRect caption(kWidth - 74, 8, 66, 40);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 110));
    p.drawRoundedRect(caption, 8, 8);
    p.setPen(Qt::white);
    p.drawText(caption, Qt::AlignCenter, QString::number(page).rightJustified(2, u'0'));
    return img;
}

bool writeScript(const QString& path) {
    QStringEncoder gbk("GBK");
    if (!gbk.isValid()) return false;
    QByteArray bytes;
    for (const Page& page : kPages) {
        if (!page.row) continue;
        bytes += gbk.encode(QString::fromUtf8(page.row));
        bytes += "\r\n";
    }
    if (gbk.hasError()) return false;
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);  // fonts for the captions
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sample OUTPUT_FOLDER\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(out.path())) {
        std::fprintf(stderr, "make_sample: cannot create %s\n", argv[1]);
        return 1;
    }
    int pageNumber = 0;
    for (const Page& page : kPages) {
        if (!page.file) continue;
        ++pageNumber;
        const QString name = QString::fromLatin1(page.file);
        const bool png = name.endsWith(".png");
        const QImage img = drawPage(pageNumber, png);
        if (!img.save(out.filePath(name), png ? "PNG" : "JPG", png ? -1 : 70)) {
            std::fprintf(stderr, "make_sample: cannot write %s\n", page.file);
            return 1;
        }
    }
    if (!writeScript(out.filePath("ReelsketchScript.txt"))) {
        std::fprintf(stderr, "make_sample: cannot write the script\n");
        return 1;
    }
    return 0;
}
