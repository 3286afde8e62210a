// kelvora-icon: writes the program's icon, the controller picture of the device tree, as PNG files in the
// sizes a desktop menu asks for, laid out like an icon theme:
//
//   kelvora-icon OUTDIR NAME SIZE...
//
// writes OUTDIR/<SIZE>x<SIZE>/apps/NAME.png for each SIZE. The build runs it, so the installed icon is
// drawn by the same code as the one in the window and no picture file is kept beside the sources.

#include "ui/ImageList.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QTextStream>

int main(int argc, char** argv) {
    // No display is needed to draw into a pixmap; the build may run without one.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() < 4) {
        err << "usage: kelvora-icon OUTDIR NAME SIZE...\n";
        return 2;
    }
    const QString outDir = args.at(1);
    const QString name = args.at(2);
    for (int i = 3; i < args.size(); ++i) {
        bool ok = false;
        const int size = args.at(i).toInt(&ok);
        if (!ok || size < 16 || size > 1024) {
            err << "kelvora-icon: not a size: " << args.at(i) << '\n';
            return 2;
        }
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(outDir).arg(size);
        const QString file = QStringLiteral("%1/%2.png").arg(dir, name);
        const QImage image = images::pixmap(images::Device, size).toImage();
        if (!QDir().mkpath(dir) || image.size() != QSize(size, size) || !image.save(file, "PNG")) {
            err << "kelvora-icon: cannot write " << file << '\n';
            return 1;
        }
    }
    return 0;
}
