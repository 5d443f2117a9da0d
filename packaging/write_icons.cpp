// Writes the program's icon into the hicolor theme's folders under the
// given root, at the sizes a desktop's menus and launchers use, and as SVG.
//   orvane-fx-icons ROOT NAME
#include <QDir>
#include <QFile>
#include <QString>
#include <cstdio>
#include <string>

#include "app/program_icon.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: orvane-fx-icons ROOT NAME\n");
    return 2;
  }
  const QString root = QFile::decodeName(argv[1]);
  const QString name = QFile::decodeName(argv[2]);
  for (int size : {48, 256}) {
    const QString folder = QStringLiteral("%1/%2x%2/apps").arg(root).arg(size);
    const QString file = folder + QLatin1Char('/') + name + QStringLiteral(".png");
    if (!QDir().mkpath(folder) || !ProgramIconImage(size).save(file, "PNG")) {
      std::fprintf(stderr, "orvane-fx-icons: cannot write %s\n", qPrintable(file));
      return 1;
    }
  }
  const QString folder = root + QStringLiteral("/scalable/apps");
  const QString file = folder + QLatin1Char('/') + name + QStringLiteral(".svg");
  QFile svg(file);
  const std::string text = ProgramIconSvg();
  if (!QDir().mkpath(folder) || !svg.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
      svg.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size())) {
    std::fprintf(stderr, "orvane-fx-icons: cannot write %s\n", qPrintable(file));
    return 1;
  }
  return 0;
}
