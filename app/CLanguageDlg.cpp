#include "app/CLanguageDlg.h"

#include <QGuiApplication>
#include <QScreen>

#include "app/CHoverButton.h"
#include "app/PictureFiles.h"
#include "app/Texts.h"

namespace {

constexpr int kWidth = 245;
constexpr int kHeight = 112;
constexpr int kGreekTooltip = 8;
constexpr int kEnglishTooltip = 9;

}  // namespace

CLanguageDlg::CLanguageDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  OnInitDialog();
}

QWidget* CLanguageDlg::Control(int id) const { return findChild<QWidget*>(QString::number(id)); }

void CLanguageDlg::OnInitDialog() {
  setWindowTitle(texts::kLanguageCaption);
  setFixedSize(kWidth, kHeight);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->geometry().center() - rect().center());
  }
  struct Choice {
    int id;
    int x;
    int bitmap;
    int tooltip;
    void (CLanguageDlg::*handler)();
  };
  const Choice choices[] = {
      {kGreekId, 0, pictures::kGreekButton, kGreekTooltip, &CLanguageDlg::OnGreek},
      {kEnglishId, 120, pictures::kEnglishButton, kEnglishTooltip, &CLanguageDlg::OnEnglish},
  };
  for (const Choice& choice : choices) {
    auto* button = new CHoverButton(this);
    button->setObjectName(QString::number(choice.id));
    button->setGeometry(choice.x, 0, 120, 87);
    button->setText(choice.id == kGreekId ? "Ελληνικά" : "English");
    button->LoadBitmap(choice.bitmap);
    button->SetToolTipText(choice.tooltip);
    const auto handler = choice.handler;
    connect(button, &QAbstractButton::clicked, this, [this, handler] { (this->*handler)(); });
  }
}

void CLanguageDlg::OnGreek() {
  g_bGreek = true;
  accept();
}

void CLanguageDlg::OnEnglish() {
  g_bGreek = false;
  accept();
}
