// Tooltips over the tools, wrapped to the maximum width.
#include "app/ToolTipControl.h"

#include <QFontMetrics>
#include <QHelpEvent>
#include <QStringList>
#include <QToolTip>
#include <QWidget>

namespace lumora {

void ToolTipControl::AddTool(QWidget* tool, const QString& text) {
  if (!tips_.contains(tool)) {
    tool->installEventFilter(this);
    connect(tool, &QObject::destroyed, this, [this](QObject* gone) { tips_.erase(gone); });
  }
  tips_[tool] = text;
}

void ToolTipControl::UpdateTipText(QWidget* tool, const QString& text) {
  const auto known = tips_.find(tool);
  if (known != tips_.end()) known->second = text;
}

QString ToolTipControl::TipText(QWidget* tool) const {
  const auto known = tips_.find(tool);
  return known == tips_.end() ? QString() : known->second;
}

QString ToolTipControl::ShownText(const QString& text) const {
  if (maxWidth_ <= 0) return text;
  const QFontMetrics metrics(QToolTip::font());
  QStringList lines;
  QString line;
  for (const QString& word : text.split(' ', Qt::SkipEmptyParts)) {
    const QString longer = line.isEmpty() ? word : line + ' ' + word;
    if (line.isEmpty() || metrics.horizontalAdvance(longer) <= maxWidth_) {
      line = longer;
      continue;
    }
    lines << line;
    line = word;
  }
  if (!line.isEmpty()) lines << line;
  return lines.join('\n');
}

bool ToolTipControl::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QObject::eventFilter(watched, event);
  const auto known = tips_.find(watched);
  if (known == tips_.end()) return QObject::eventFilter(watched, event);
  auto* help = static_cast<QHelpEvent*>(event);
  if (known->second.isEmpty())
    QToolTip::hideText();
  else
    QToolTip::showText(help->globalPos(), ShownText(known->second), static_cast<QWidget*>(watched));
  return true;
}

}  // namespace lumora
