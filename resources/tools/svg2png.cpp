// Build-time renderer of the picture set: each SVG below the source folder becomes a PNG of
// the SVG's own size at the same relative path below the output folder.
//
//   quarn_svg2png <source dir> <output dir> <relative.svg>...

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>

#include <cstdio>

namespace {
bool s_warned = false;

// The renderer reports unsupported SVG features as warnings; a picture that relies on one
// would not look as drawn, so they fail the build.
void failOnWarning(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        s_warned = true;
    std::fprintf(stderr, "%s\n", qPrintable(message));
}

bool render(const QString& source, const QString& target)
{
    s_warned = false;
    QSvgRenderer renderer(source);
    if (!renderer.isValid() || s_warned) {
        std::fprintf(stderr, "svg2png: cannot render %s\n", qPrintable(source));
        return false;
    }
    QImage image(renderer.defaultSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        renderer.render(&painter);
    }
    if (s_warned) {
        std::fprintf(stderr, "svg2png: %s uses unsupported features\n", qPrintable(source));
        return false;
    }
    QDir().mkpath(QFileInfo(target).absolutePath());
    if (!image.convertToFormat(QImage::Format_ARGB32).save(target, "PNG")) {
        std::fprintf(stderr, "svg2png: cannot write %s\n", qPrintable(target));
        return false;
    }
    return true;
}
} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Fonts for <text> need the GUI side of the application.
    QGuiApplication app(argc, argv);
    qInstallMessageHandler(failOnWarning);

    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: quarn_svg2png <source dir> <output dir> <file.svg>...\n");
        return 2;
    }
    const QDir sourceDir(args.at(1));
    const QDir outputDir(args.at(2));
    int failures = 0;
    for (int i = 3; i < args.size(); ++i) {
        const QString relative = args.at(i);
        QString png = relative;
        png.replace(QRegularExpression(QStringLiteral("\\.svg$")), QStringLiteral(".png"));
        if (!render(sourceDir.filePath(relative), outputDir.filePath(png)))
            ++failures;
    }
    return failures == 0 ? 0 : 1;
}
