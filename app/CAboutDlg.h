// The About dialog: the product's description or its terms of use, in
// Greek or in English, with links to the product's and the speech
// synthesizer's web pages and to the contact address.
#pragma once

#include <QDialog>

#include "app/UiServices.h"

class CHoverButton;
class QPlainTextEdit;
class QPushButton;

class CAboutDlg : public QDialog {
 public:
  // Control ids.
  static constexpr int kProductPageId = 1033;
  static constexpr int kSynthesizerPageId = 1034;
  static constexpr int kGreekTextId = 1031;
  static constexpr int kEnglishTextId = 1032;
  static constexpr int kTextId = 1029;
  static constexpr int kContactId = 1030;
  static constexpr int kToggleId = 1009;
  static constexpr int kCloseId = 1;

  explicit CAboutDlg(UiServices& ui, QWidget* parent = nullptr);

  QWidget* Control(int id) const;

  void OnGreekText();
  void OnEnglishText();
  void OnToggleText();
  void OnContact();
  void OnProductPage();
  void OnSynthesizerPage();

 private:
  void OnInitDialog();
  void OnCtlColor();
  void ShowInfoText();
  void ShowLicenseText();
  void ShowCurrentText();

  UiServices& ui_;
  bool greek_ = true;
  bool terms_ = false;
  QPlainTextEdit* text_ = nullptr;
  QPushButton* toggle_ = nullptr;
};
