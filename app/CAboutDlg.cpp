#include "app/CAboutDlg.h"

#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

#include "app/CHoverButton.h"
#include "app/Pictures.h"
#include "app/ProductInfo.h"
#include "app/Texts.h"

namespace {

constexpr int kWidth = 600;
constexpr int kHeight = 470;
constexpr int kIconSize = 32;
// The dialog's background (the text area is white).
const QColor kBackground(0xFC, 0xFE, 0xF6);
const char* const kLicenseCaption = "LICENSE...";
const char* const kInfoCaption = "Info...";

template <typename Widget>
Widget* Place(QWidget* parent, int id, const QRect& rect) {
  auto* widget = new Widget(parent);
  widget->setObjectName(QString::number(id));
  widget->setGeometry(rect);
  return widget;
}

}  // namespace

CAboutDlg::CAboutDlg(UiServices& ui, QWidget* parent) : QDialog(parent), ui_(ui) { OnInitDialog(); }

QWidget* CAboutDlg::Control(int id) const { return findChild<QWidget*>(QString::number(id)); }

void CAboutDlg::OnInitDialog() {
  setFixedSize(kWidth, kHeight);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->geometry().center() - rect().center());
  }
  setWindowTitle(QString(texts::kAppName) + " - " + __DATE__);

  auto* product = Place<CHoverButton>(this, kProductPageId, QRect(160, 0, 320, 140));
  product->LoadBitmap(pictures::kProductPage);
  connect(product, &QAbstractButton::clicked, this, [this] { OnProductPage(); });
  auto* synthesizer = Place<CHoverButton>(this, kSynthesizerPageId, QRect(480, 0, 110, 60));
  synthesizer->LoadBitmap(pictures::kSynthesizerPage);
  connect(synthesizer, &QAbstractButton::clicked, this, [this] { OnSynthesizerPage(); });

  auto* close = Place<QPushButton>(this, kCloseId, QRect(0, 405, 70, 35));
  close->setText("Close");
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  auto* greek = Place<QPushButton>(this, kGreekTextId, QRect(71, 405, 35, 35));
  greek->setIcon(QIcon(pictures::Load(pictures::kGreekIcon)));
  greek->setIconSize(QSize(kIconSize, kIconSize));
  connect(greek, &QPushButton::clicked, this, [this] { OnGreekText(); });
  auto* english = Place<QPushButton>(this, kEnglishTextId, QRect(106, 405, 35, 35));
  english->setIcon(QIcon(pictures::Load(pictures::kEnglishIcon)));
  english->setIconSize(QSize(kIconSize, kIconSize));
  connect(english, &QPushButton::clicked, this, [this] { OnEnglishText(); });
  toggle_ = Place<QPushButton>(this, kToggleId, QRect(250, 405, 100, 35));
  toggle_->setText(kLicenseCaption);
  connect(toggle_, &QPushButton::clicked, this, [this] { OnToggleText(); });
  auto* contact = Place<QPushButton>(this, kContactId, QRect(514, 405, 80, 35));
  contact->setText("Contact");
  connect(contact, &QPushButton::clicked, this, [this] { OnContact(); });
  text_ = Place<QPlainTextEdit>(this, kTextId, QRect(0, 150, 594, 255));
  text_->setReadOnly(true);
  text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  text_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

  OnCtlColor();
  greek_ = g_bGreek;
  terms_ = false;
  ShowInfoText();
}

void CAboutDlg::OnCtlColor() {
  setAutoFillBackground(true);
  QPalette background = palette();
  background.setColor(QPalette::Window, kBackground);
  background.setColor(QPalette::Button, kBackground);
  background.setColor(QPalette::Base, kBackground);
  setPalette(background);
  QPalette white = text_->palette();
  white.setColor(QPalette::Base, Qt::white);
  white.setColor(QPalette::Window, Qt::white);
  text_->setPalette(white);
}

void CAboutDlg::ShowInfoText() {
  text_->setPlainText(QString::fromUtf8(product::Description(greek_)));
}

void CAboutDlg::ShowLicenseText() {
  text_->setPlainText(QString::fromUtf8(product::TermsOfUse(greek_)));
  toggle_->setText(kInfoCaption);
}

void CAboutDlg::ShowCurrentText() {
  if (terms_) {
    ShowLicenseText();
  } else {
    ShowInfoText();
  }
}

void CAboutDlg::OnToggleText() {
  if (terms_) {
    ShowInfoText();
    toggle_->setText(kLicenseCaption);
    terms_ = false;
  } else {
    terms_ = true;
    ShowLicenseText();
  }
}

void CAboutDlg::OnGreekText() {
  greek_ = true;
  ShowCurrentText();
}

void CAboutDlg::OnEnglishText() {
  greek_ = false;
  ShowCurrentText();
}

void CAboutDlg::OnContact() {
  OpenLinkOrSay(ui_, std::string("mailto:") + product::kContactAddress);
}

void CAboutDlg::OnProductPage() { OpenLinkOrSay(ui_, product::kProductPage); }

void CAboutDlg::OnSynthesizerPage() { OpenLinkOrSay(ui_, product::kSynthesizerPage); }
