// svg2png: renders an SVG picture into square PNG images, used at build time to make the
// program's icon in the sizes that desktop environments look for.
//
//   svg2png [--viewbox N] INPUT.svg SIZE OUTPUT.png [SIZE OUTPUT.png]...
//
// Each SIZE is the width and height in pixels of the image written to the OUTPUT that follows
// it; missing folders of OUTPUT are created. With --viewbox N the picture's viewBox must be
// exactly N x N. The tool refuses an SVG that Qt cannot read, that uses more than the simple
// shapes Qt draws in full, that Qt's renderer warns about or that draws nothing, so a broken
// picture fails the build instead of giving a wrong or blank icon. It needs no display: it paints
// into a QImage only.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QString>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <QtGlobal>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr int kMaxSize = 4096;

struct Job {
    int size = 0;
    QString output;
};

void fail(const std::string& message) {
    std::fprintf(stderr, "svg2png: %s\n", message.c_str());
}

// Qt's SVG renderer reports what it cannot draw (unknown elements, broken references, features
// beyond SVG Tiny) as warnings and goes on; for a picture that ships, each one is an error.
int svgWarnings = 0;

void countSvgWarnings(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    const bool fromSvg = context.category != nullptr && std::string(context.category) == "qt.svg";
    if (fromSvg && type != QtDebugMsg && type != QtInfoMsg) {
        ++svgWarnings;
    }
    std::fprintf(stderr, "%s\n", qPrintable(text));
}

// The pictures keep to the part of SVG Tiny 1.2 that Qt draws in full. Qt skips masks, clip
// paths, filters, markers, patterns and unknown elements without a word, so they are refused
// here, and so is every reference to another file.
const std::set<QString> kElements = {
    "svg",     "g",    "defs",   "title",          "desc",           "metadata",
    "path",    "rect", "circle", "ellipse",        "line",           "polyline",
    "polygon", "use",  "stop",   "linearGradient", "radialGradient", "solidColor",
};
const std::set<QString> kUnsupportedAttributes = {
    "filter", "mask", "clip-path", "marker-start", "marker-mid", "marker-end", "style",
};

// What is wrong with the SVG file as one of our pictures, or an empty string.
QString outsideTheProfile(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        return QStringLiteral("cannot be opened");
    }
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        const QString element = xml.name().toString();
        if (kElements.count(element) == 0) {
            return "uses the element <" + element + ">";
        }
        for (const QXmlStreamAttribute& attribute : xml.attributes()) {
            const QString name = attribute.name().toString();
            if (kUnsupportedAttributes.count(name) != 0) {
                return "uses the attribute " + name + " on <" + element + ">";
            }
            if (name == "href" && !attribute.value().startsWith(u'#')) {
                return "refers to another file: " + attribute.value().toString();
            }
        }
    }
    if (xml.hasError()) {
        return "is not well-formed: " + xml.errorString();
    }
    return {};
}

bool parseSize(const char* text, int& size) {
    bool ok = false;
    const int value = QString::fromLocal8Bit(text).toInt(&ok);
    if (!ok || value < 1 || value > kMaxSize) {
        return false;
    }
    size = value;
    return true;
}

// True when at least one pixel of the image is not fully transparent.
bool drawsSomething(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) != 0) {
                return true;
            }
        }
    }
    return false;
}

int usage() {
    fail("usage: svg2png [--viewbox N] INPUT.svg SIZE OUTPUT.png [SIZE OUTPUT.png]...");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<const char*> args(argv + 1, argv + argc);
    std::size_t next = 0;
    int viewBox = 0;
    if (next < args.size() && std::string(args[next]) == "--viewbox") {
        if (next + 1 >= args.size() || !parseSize(args[next + 1], viewBox)) {
            return usage();
        }
        next += 2;
    }
    if (args.size() - next < 3 || (args.size() - next) % 2 != 1) {
        return usage();
    }
    const QString input = QString::fromLocal8Bit(args[next]);
    std::vector<Job> jobs;
    for (std::size_t i = next + 1; i + 1 < args.size(); i += 2) {
        Job job;
        if (!parseSize(args[i], job.size)) {
            fail(std::string("not a size: ") + args[i]);
            return 2;
        }
        job.output = QString::fromLocal8Bit(args[i + 1]);
        jobs.push_back(job);
    }

    const QString refused = outsideTheProfile(input);
    if (!refused.isEmpty()) {
        fail(input.toStdString() + " " + refused.toStdString());
        return 1;
    }
    qInstallMessageHandler(countSvgWarnings);
    QSvgRenderer renderer(input);
    if (!renderer.isValid()) {
        fail("cannot read " + input.toStdString());
        return 1;
    }
    const QRectF box = renderer.viewBoxF();
    if (viewBox != 0 && (box.width() != viewBox || box.height() != viewBox)) {
        fail(input.toStdString() + ": viewBox is " + QString::number(box.width()).toStdString() +
             " x " + QString::number(box.height()).toStdString() + ", expected " +
             std::to_string(viewBox) + " x " + std::to_string(viewBox));
        return 1;
    }

    for (const Job& job : jobs) {
        QImage image(job.size, job.size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            renderer.render(&painter, QRectF(0, 0, job.size, job.size));
        }
        if (svgWarnings != 0) {
            fail(input.toStdString() + " uses what Qt's SVG renderer cannot draw");
            return 1;
        }
        if (!drawsSomething(image)) {
            fail(input.toStdString() + " draws nothing at " + std::to_string(job.size) + " px");
            return 1;
        }
        if (!QDir().mkpath(QFileInfo(job.output).absolutePath()) ||
            !image.save(job.output, "PNG")) {
            fail("cannot write " + job.output.toStdString());
            return 1;
        }
    }
    return 0;
}
