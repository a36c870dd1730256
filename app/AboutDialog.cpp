// The About box's controls.
#include "app/AboutDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include "app/HomePage.h"
#include "app/LinkLabel.h"
#include "app/Skin.h"
#include "resources/ResourceIds.h"

namespace lumora {

AboutDialog::AboutDialog(const std::string& programName, const Skin& skin, Shell& shell, QWidget* parent)
    : QDialog(parent) {
  const QString name = QString::fromStdString(programName);
  setWindowTitle(QStringLiteral("About %1").arg(name));

  auto* column = new QVBoxLayout(this);
  auto* version = new QLabel(QStringLiteral("%1 Version %2").arg(name, QStringLiteral(LUMORA_VERSION)), this);
  column->addWidget(version);

  homePage_ = new LinkLabel(shell, this);
  homePage_->setText(QString::fromUtf8(kHomePageAddress.data(), qsizetype(kHomePageAddress.size())));
  homePage_->SetLinkMode(true);
  homePage_->SetTextColour(QColor(0, 0, 255));
  homePage_->SetFontSize(kLinkFontSize);
  homePage_->SetUnderline(true);
  if (std::optional<QCursor> cursor = skin.Cursor(res::kCursorLinkHover)) homePage_->SetHoverCursor(*cursor);
  column->addWidget(homePage_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  column->addWidget(buttons);
}

}  // namespace lumora
