// ToolTipControl: one tooltip control serving several widgets (its tools),
// each with its own text, optionally wrapped at a maximum width. The main
// window keeps one for the item list and one for its buttons.
#pragma once

#include <QObject>
#include <QString>

#include <map>

class QWidget;

namespace lumora {

class ToolTipControl final : public QObject {
 public:
  explicit ToolTipControl(QObject* parent = nullptr) : QObject(parent) {}

  // Shows `text` over `tool` from now on (replacing an earlier text).
  void AddTool(QWidget* tool, const QString& text);
  void UpdateTipText(QWidget* tool, const QString& text);
  // The tool's text; empty for a widget that is no tool of this control.
  QString TipText(QWidget* tool) const;
  // Lines longer than `pixels` are broken at blanks; 0: never broken.
  void SetMaxTipWidth(int pixels) { maxWidth_ = pixels; }
  // `text` as it shows: broken into lines that fit the maximum width in the
  // tooltip font (a word wider than that keeps a line of its own).
  QString ShownText(const QString& text) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::map<QObject*, QString> tips_;
  int maxWidth_ = 0;
};

}  // namespace lumora
