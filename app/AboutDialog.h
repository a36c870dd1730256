// The About box: the program name with its version, an OK button, and the
// maker's home-page line, a link that opens the page when clicked.
#pragma once

#include <QDialog>

#include <cstdint>
#include <string>

namespace lumora {

class LinkLabel;
class Shell;
class Skin;

class AboutDialog final : public QDialog {
 public:
  // Control id of the home-page line.
  static constexpr uint32_t kHomePageLine = 1184;
  static constexpr int kLinkFontSize = 12;

  // `programName` is string 14 of the string table.
  AboutDialog(const std::string& programName, const Skin& skin, Shell& shell, QWidget* parent);

  LinkLabel& HomePageLine() const { return *homePage_; }

 private:
  LinkLabel* homePage_;
};

}  // namespace lumora
