// Draws the sample catalogue's part pictures: simple line drawings of made-up alignment parts, in several
// sizes and proportions so that slot scaling and the zoom view can be seen. Run with the folder to write to.
#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>

namespace {

enum class Shape { CamBolt, Bushing, Shim, Plate, Link, Arm };

struct Picture {
    const char* code;
    Shape shape;
    int width;
    int height;
    QColor tint;
};

const Picture kPictures[] = {
    {"AC1001", Shape::CamBolt, 320, 240, QColor(40, 90, 160)},
    {"AC1002", Shape::Bushing, 240, 240, QColor(160, 60, 40)},
    {"AC1003", Shape::Shim, 400, 200, QColor(60, 130, 60)},
    {"AC1004", Shape::Shim, 1600, 900, QColor(120, 80, 150)},
    {"AC1005", Shape::Arm, 640, 320, QColor(30, 110, 120)},
    {"AC1006", Shape::CamBolt, 260, 260, QColor(150, 110, 20)},
    {"TL2001", Shape::Link, 800, 200, QColor(90, 90, 90)},
    {"TL2002", Shape::CamBolt, 300, 300, QColor(170, 40, 90)},
    {"TL2003", Shape::Link, 500, 250, QColor(40, 120, 170)},
    {"FC3001", Shape::Plate, 360, 360, QColor(110, 70, 30)},
    {"FC3002", Shape::CamBolt, 320, 240, QColor(20, 140, 100)},
    {"FC3003", Shape::Bushing, 1200, 1200, QColor(140, 30, 30)},
    {"FC3004", Shape::Arm, 480, 240, QColor(70, 70, 160)},
    {"CS4001", Shape::Bushing, 280, 280, QColor(100, 120, 40)},
    {"CS4002", Shape::Plate, 480, 320, QColor(50, 50, 120)},
    {"CS4003", Shape::Bushing, 240, 320, QColor(130, 90, 110)},
};

void drawShape(QPainter& p, const Picture& pic) {
    const double w = pic.width, h = pic.height, s = std::min(w, h);
    p.setPen(QPen(pic.tint.darker(160), s / 60.0));
    p.setBrush(pic.tint.lighter(150));
    switch (pic.shape) {
    case Shape::CamBolt:
        p.drawEllipse(QPointF(w / 2, h / 2), s * 0.35, s * 0.35);
        p.setBrush(pic.tint);
        p.drawEllipse(QPointF(w / 2 + s * 0.08, h / 2 - s * 0.05), s * 0.12, s * 0.12);
        p.drawLine(QPointF(w / 2 - s * 0.35, h / 2), QPointF(w / 2 + s * 0.35, h / 2));
        break;
    case Shape::Bushing: {
        double r = 0.4;
        for (int ring = 0; ring < 4; ++ring, r -= 0.1) { // 0.4 down to 0.1, counted by a whole number
            p.setBrush(r > 0.25 ? pic.tint.lighter(150) : pic.tint);
            p.drawEllipse(QPointF(w / 2, h / 2), s * r, s * r);
        }
        break;
    }
    case Shape::Shim: {
        QPainterPath wedge;
        wedge.moveTo(w * 0.1, h * 0.3);
        wedge.lineTo(w * 0.9, h * 0.2);
        wedge.lineTo(w * 0.9, h * 0.8);
        wedge.lineTo(w * 0.1, h * 0.7);
        wedge.closeSubpath();
        p.drawPath(wedge);
        p.drawEllipse(QPointF(w * 0.35, h * 0.5), s * 0.08, s * 0.08);
        p.drawEllipse(QPointF(w * 0.65, h * 0.5), s * 0.08, s * 0.08);
        break;
    }
    case Shape::Plate:
        p.drawRoundedRect(QRectF(w * 0.15, h * 0.15, w * 0.7, h * 0.7), s * 0.08, s * 0.08);
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(w * 0.3, h * 0.42, w * 0.4, h * 0.16), s * 0.08, s * 0.08);
        break;
    case Shape::Link:
        p.drawRoundedRect(QRectF(w * 0.1, h * 0.4, w * 0.8, h * 0.2), h * 0.1, h * 0.1);
        p.setBrush(pic.tint);
        p.drawEllipse(QPointF(w * 0.12, h * 0.5), h * 0.18, h * 0.18);
        p.drawEllipse(QPointF(w * 0.88, h * 0.5), h * 0.18, h * 0.18);
        break;
    case Shape::Arm: {
        QPainterPath arm;
        arm.moveTo(w * 0.1, h * 0.3);
        arm.quadTo(w * 0.5, h * 0.1, w * 0.9, h * 0.45);
        arm.lineTo(w * 0.9, h * 0.6);
        arm.quadTo(w * 0.5, h * 0.35, w * 0.1, h * 0.75);
        arm.closeSubpath();
        p.drawPath(arm);
        p.setBrush(pic.tint);
        p.drawEllipse(QPointF(w * 0.12, h * 0.52), s * 0.12, s * 0.12);
        break;
    }
    }
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    for (const Picture& pic : kPictures) {
        QImage image(pic.width, pic.height, QImage::Format_RGB32);
        image.fill(QColor(250, 250, 245));
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        drawShape(painter, pic);
        QFont font(QStringLiteral("Liberation Sans"));
        font.setPixelSize(std::max(12, std::min(pic.width, pic.height) / 10));
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(QRectF(0, pic.height * 0.86, pic.width, pic.height * 0.14), Qt::AlignCenter,
                         QString::fromLatin1(pic.code));
        painter.end();
        const QString path =
            folder + QLatin1Char('/') + QString::fromLatin1(pic.code) + QStringLiteral("ill.jpg");
        if (!image.save(path, "JPEG", 85)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
