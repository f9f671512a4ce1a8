// The language dialog at start: two picture buttons choose the Greek or the
// English user interface (g_bGreek); Escape leaves it Greek.
#pragma once

#include <QDialog>

class CLanguageDlg : public QDialog {
 public:
  static constexpr int kGreekId = 1035;
  static constexpr int kEnglishId = 1036;

  explicit CLanguageDlg(QWidget* parent = nullptr);

  QWidget* Control(int id) const;
  void OnGreek();
  void OnEnglish();

 private:
  void OnInitDialog();
};
