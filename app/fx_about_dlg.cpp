#include <QFontMetrics>
#include <QLabel>

#include "app/fx_client.h"
#include "app/fx_templates.h"
#include "device/orvinter_binding.h"

namespace {

// Below the version line and above OK, in dialog units.
constexpr int kCardLineX = 3;
constexpr int kCardLineY = 28;
constexpr int kCardLineW = 96;
constexpr int kCardLineH = 36;

QString CardLibraryHeading(const OrvinterBinding& card) {
  if (!card.Loaded())
    return QStringLiteral("No card library is loaded.");
  if (card.Simulated())
    return QStringLiteral("Simulated card: no Orvane card driver was found.");
  return QStringLiteral("Orvane card library:");
}

}  // namespace

FxAboutDlg::FxAboutDlg(QWidget* parent, const OrvinterBinding& card)
    : TEDialog(kAboutDialogTemplate, parent) {
  // Not a template item: the box keeps its items and adds this line.
  auto* line = new QLabel(this);
  line->setObjectName(QStringLiteral("cardLibrary"));
  line->setTextFormat(Qt::PlainText);
  line->setWordWrap(true);
  line->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  const PixelRect place = MapDialogRect(kCardLineX, kCardLineY, kCardLineW, kCardLineH);
  line->setGeometry(place.x, place.y, place.w, place.h);
  QString text = CardLibraryHeading(card);
  const QString path = QString::fromStdString(card.Path());
  if (!path.isEmpty()) {
    // A path has no spaces to wrap at; its middle goes, the whole of it is
    // in the tool tip.
    text += QLatin1Char('\n') + QFontMetrics(line->font()).elidedText(path, Qt::ElideMiddle, place.w);
    line->setToolTip(path);
  }
  line->setText(text);
}
