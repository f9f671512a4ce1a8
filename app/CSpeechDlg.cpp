#include "app/CSpeechDlg.h"

#include <QComboBox>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMovie>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <algorithm>
#include <thread>
#include <vector>

#include "app/CAboutDlg.h"
#include "app/CHoverButton.h"
#include "app/CSplashWnd.h"
#include "app/EngineReports.h"
#include "app/MessageBoxes.h"
#include "app/Pictures.h"
#include "app/Texts.h"

namespace {

constexpr int kWidth = 551;
constexpr int kHeight = 400;
// The closed character list; the rest of its 130 pixels is the list that
// drops down.
constexpr int kComboHeight = 24;
constexpr int kComboListItems = 5;
constexpr int kSliderMinimum = 50;
constexpr int kSliderMaximum = 200;
constexpr int kVolumeMaximum = 200;
const QPoint kAnimationCorner(0, 235);
// The text box's and the character list's text.
const QColor kTextBlue(0x00, 0x00, 0xFF);
// Edits of the dialog template that are never shown.
constexpr int kHiddenEdits[] = {1019, 1020, 1021, 1023};
// The room between the speaking animation and the text beside it.
constexpr int kAnimationGap = 2;

// The text box: its text can be kept clear of the animation that lies on
// its left edge. As in a dialog, Tab and Shift+Tab move the focus on, and
// Ctrl+Tab types a tab.
class TextBox : public QPlainTextEdit {
 public:
  explicit TextBox(QWidget* parent) : QPlainTextEdit(parent) { setTabChangesFocus(true); }
  using QPlainTextEdit::setViewportMargins;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_Tab && event->modifiers() == Qt::ControlModifier && !isReadOnly()) {
      insertPlainText("\t");
      return;
    }
    QPlainTextEdit::keyPressEvent(event);
  }
};

// The controls that Tab reaches, in the order the eye reads them: left to
// right in each row, the rows from the top.
void SetVisualTabOrder(QWidget* window) {
  std::vector<QWidget*> controls;
  for (QWidget* control : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if ((control->focusPolicy() & Qt::TabFocus) != 0) controls.push_back(control);
  }
  std::stable_sort(controls.begin(), controls.end(), [](const QWidget* a, const QWidget* b) {
    const QPoint p = a->pos();
    const QPoint q = b->pos();
    return p.y() != q.y() ? p.y() < q.y() : p.x() < q.x();
  });
  for (std::size_t i = 1; i < controls.size(); ++i)
    QWidget::setTabOrder(controls[i - 1], controls[i]);
}

}  // namespace

CSpeechDlg::CSpeechDlg(EnginePort& engine, UiServices& ui, QWidget* parent,
                       RequestQueue::Mode queueMode)
    : QDialog(parent), ui_(ui), controller_(engine, ui, *this, queueMode) {
  setWindowTitle(texts::kAppName);
  setFixedSize(kWidth, kHeight);
  CreateControls();
  CSplashWnd::ShowSplashScreen(this);
}

CSpeechDlg::~CSpeechDlg() = default;

QWidget* CSpeechDlg::Control(int id) const { return findChild<QWidget*>(QString::number(id)); }

CHoverButton* CSpeechDlg::PictureButton(int id, const QRect& rect, int bitmap, int tooltip,
                                        void (CSpeechDlg::*handler)()) {
  auto* button = new CHoverButton(this);
  button->setObjectName(QString::number(id));
  button->setGeometry(rect);
  button->LoadBitmap(bitmap);
  button->SetToolTipText(tooltip);
  connect(button, &QAbstractButton::clicked, this, [this, handler] { (this->*handler)(); });
  return button;
}

QSlider* CSpeechDlg::MakeSlider(int id, int minimum, int maximum, void (CSpeechDlg::*handler)()) {
  auto* slider = new QSlider(Qt::Horizontal, this);
  slider->setObjectName(QString::number(id));
  slider->setRange(minimum, maximum);
  connect(slider, &QAbstractSlider::sliderReleased, this, [this, handler] { (this->*handler)(); });
  // A key, the wheel or a click beside the handle: the slider takes the new
  // position after this signal, so the handler runs from the event loop.
  // A drag counts once released.
  connect(slider, &QAbstractSlider::actionTriggered, this, [this, slider, handler] {
    if (slider->isSliderDown()) return;
    QMetaObject::invokeMethod(
        this, [this, handler] { (this->*handler)(); }, Qt::QueuedConnection);
  });
  return slider;
}

QLineEdit* CSpeechDlg::MakeLabel(int id) {
  auto* label = new QLineEdit(this);
  label->setObjectName(QString::number(id));
  label->setReadOnly(true);
  label->setAlignment(Qt::AlignCenter);
  label->setFocusPolicy(Qt::NoFocus);
  return label;
}

void CSpeechDlg::CreateControls() {
  auto* logo = new QLabel(this);
  logo->setObjectName(QString::number(kLogoId));
  logo->setPixmap(pictures::Load(pictures::kLogo));
  logo->setGeometry(0, 0, 290, 120);
  auto* banner = new QLabel(this);
  banner->setObjectName(QString::number(kBannerId));
  banner->setPixmap(pictures::Load(pictures::kBanner));
  banner->setGeometry(423, 0, 128, 120);

  text_ = new TextBox(this);
  text_->setObjectName(QString::number(kTextId));
  text_->setGeometry(0, 121, 545, 180);

  speak_ = PictureButton(kSpeakId, {293, 0, 64, 40}, pictures::kSpeak, 1, &CSpeechDlg::OnSpeak);
  PictureButton(kStopId, {293, 40, 64, 40}, pictures::kStop, 2, &CSpeechDlg::OnStop);
  PictureButton(kSaveId, {293, 80, 64, 40}, pictures::kSave, 4, &CSpeechDlg::OnSaveWave);
  PictureButton(kReportId, {358, 0, 64, 40}, pictures::kReport, 6, &CSpeechDlg::OnReport);
  about_ = PictureButton(kAboutId, {358, 40, 64, 40}, pictures::kAbout, 5, &CSpeechDlg::OnAbout);
  exit_ = new CHoverButton(this);
  exit_->setObjectName(QString::number(kExitId));
  exit_->setGeometry(358, 80, 64, 40);
  exit_->LoadBitmap(pictures::kExit);
  exit_->SetToolTipText(7);
  connect(exit_, &QAbstractButton::clicked, this, &QDialog::accept);

  auto* separator = new QLineEdit(this);
  separator->setObjectName(QString::number(kSeparatorId));
  separator->setReadOnly(true);
  separator->setFocusPolicy(Qt::NoFocus);
  separator->setGeometry(0, 305, 594, 5);

  reset_ = new QPushButton(this);
  reset_->setObjectName(QString::number(kResetId));
  reset_->setGeometry(0, 315, 90, 30);
  reset_->setAutoDefault(false);
  connect(reset_, &QPushButton::clicked, this, [this] { OnReset(); });

  pitch_ = MakeSlider(kPitchId, kSliderMinimum, kSliderMaximum, &CSpeechDlg::OnPitchReleased);
  pitch_->setGeometry(100, 315, 90, 30);
  speed_ = MakeSlider(kSpeedId, kSliderMinimum, kSliderMaximum, &CSpeechDlg::OnSpeedReleased);
  speed_->setGeometry(200, 315, 90, 30);
  volume_ = MakeSlider(kVolumeId, 0, kVolumeMaximum, &CSpeechDlg::OnVolumeReleased);
  volume_->hide();
  pitchLabel_ = MakeLabel(kPitchLabelId);
  pitchLabel_->setGeometry(100, 345, 90, 30);
  speedLabel_ = MakeLabel(kSpeedLabelId);
  speedLabel_->setGeometry(200, 345, 90, 30);
  characterLabel_ = MakeLabel(kCharacterLabelId);
  characterLabel_->setGeometry(300, 345, 180, 30);
  volumeLabel_ = MakeLabel(kVolumeLabelId);
  volumeLabel_->hide();
  for (int id : kHiddenEdits) MakeLabel(id)->hide();

  characters_ = new QComboBox(this);
  characters_->setObjectName(QString::number(kCharacterId));
  characters_->setGeometry(300, 315, 180, kComboHeight);
  characters_->setMaxVisibleItems(kComboListItems);
  // Only a user's choice counts as a change of character.
  connect(characters_, &QComboBox::activated, this, [this] { OnSelectCharacter(); });

  OnCtlColor();
  SetVisualTabOrder(this);
}

void CSpeechDlg::OnCtlColor() {
  QPalette textColours = text_->palette();
  textColours.setColor(QPalette::Base, Qt::white);
  textColours.setColor(QPalette::Text, kTextBlue);
  // The room left beside the text for the animation is white too.
  textColours.setColor(QPalette::Window, Qt::white);
  text_->setPalette(textColours);
  text_->setAutoFillBackground(true);
  QPalette listColours = characters_->palette();
  listColours.setColor(QPalette::Text, kTextBlue);
  listColours.setColor(QPalette::ButtonText, kTextBlue);
  characters_->setPalette(listColours);
}

int CSpeechDlg::DoModal() {
  if (!OnInitDialog()) return QDialog::Rejected;
  const int result = exec();
  DestroyWindow();
  return result;
}

bool CSpeechDlg::OnInitDialog() {
  setWindowIcon(QIcon(pictures::Load(pictures::kAppIcon)));
  SpeechController::EngineStart start;
  EngineReports::Hold(true);
  {
    QEventLoop loop;
    std::thread loader([this, &start, &loop] {
      start = controller_.StartEngine();
      QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
    });
    loop.exec();
    loader.join();
  }
  const bool goesOn = controller_.FinishInit(start);
  EngineReports::Hold(false);
  if (!goesOn) return false;
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->geometry().center() - rect().center());
  }
  CreateAnimation();
  return true;
}

void CSpeechDlg::CreateAnimation() {
  animation_ = new QLabel(this);
  animation_->setObjectName(QString::number(kAnimationId));
  movie_ = new QMovie(pictures::AnimationPath(), pictures::kAnimationFormat, animation_);
  movie_->jumpToFrame(0);
  animation_->setMovie(movie_);
  animation_->setGeometry(QRect(kAnimationCorner, movie_->frameRect().size()));
  animation_->show();
  animation_->raise();
  // The text starts to the right of the animation, which covers the text
  // box's left edge.
  static_cast<TextBox*>(text_)->setViewportMargins(
      animation_->geometry().right() + 1 - text_->geometry().left() + kAnimationGap, 0, 0, 0);
}

void CSpeechDlg::SetLabels() {
  const texts::DialogLabels& labels = texts::Labels(g_bGreek);
  volumeLabel_->setText(labels.volume);
  pitchLabel_->setText(labels.pitch);
  speedLabel_->setText(labels.speed);
  characterLabel_->setText(labels.character);
  about_->setText(labels.about);
  exit_->setText(labels.exit);
  reset_->setText(labels.reset);
  text_->setPlainText(labels.text);
}

void CSpeechDlg::DestroyWindow() {
  if (destroyed_) return;
  destroyed_ = true;
  controller_.Shutdown();
}

void CSpeechDlg::OnSpeak() { controller_.OnSpeak(); }
void CSpeechDlg::OnSpeakCommand() { OnSpeak(); }
void CSpeechDlg::OnStop() { controller_.OnStop(); }
void CSpeechDlg::OnVolumeReleased() { controller_.OnVolumeReleased(); }
void CSpeechDlg::OnPitchReleased() { controller_.OnPitchReleased(); }
void CSpeechDlg::OnSpeedReleased() { controller_.OnSpeedReleased(); }
void CSpeechDlg::OnReset() { controller_.OnReset(); }
void CSpeechDlg::OnSaveWave() { controller_.OnSaveWave(); }
void CSpeechDlg::OnSelectCharacter() { controller_.OnSelectCharacter(); }
void CSpeechDlg::OnReport() { controller_.OnReport(); }

void CSpeechDlg::OnAbout() {
  CAboutDlg about(ui_, this);
  about.exec();
}

bool CSpeechDlg::OnCopyData(const QByteArray& bytes) {
  return controller_.OnCopyData(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

std::string CSpeechDlg::Text() const { return text_->toPlainText().toStdString(); }

void CSpeechDlg::SetText(const std::string& text) {
  text_->setPlainText(QString::fromStdString(text));
}

QSlider* CSpeechDlg::SliderOf(Slider slider) const {
  switch (slider) {
    case Slider::kVolume:
      return volume_;
    case Slider::kPitch:
      return pitch_;
    case Slider::kSpeed:
      break;
  }
  return speed_;
}

int CSpeechDlg::SliderPosition(Slider slider) const { return SliderOf(slider)->value(); }

void CSpeechDlg::SetSliderPosition(Slider slider, int position) {
  SliderOf(slider)->setValue(position);
}

int CSpeechDlg::AddCharacter(const std::string& display, const std::string& name) {
  characters_->addItem(QString::fromStdString(display), QString::fromStdString(name));
  return characters_->count() - 1;
}

void CSpeechDlg::SelectCharacter(int index) { characters_->setCurrentIndex(index); }

std::string CSpeechDlg::SelectedCharacter() const {
  return characters_->currentData().toString().toStdString();
}

void CSpeechDlg::StartAnimation() {
  if (movie_ != nullptr) movie_->start();
}

void CSpeechDlg::StopAnimation() {
  if (movie_ == nullptr) return;
  movie_->stop();
  movie_->jumpToFrame(0);
}

void CSpeechDlg::EnableSpeak() { speak_->setEnabled(true); }

void CSpeechDlg::TakeFocus() { setFocus(); }

void CSpeechDlg::Activate() {
  raise();
  activateWindow();
  setFocus();
  // The boxes stay in sight, above the window.
  message_boxes::RaiseAll();
}

void CSpeechDlg::FocusText() {
  text_->selectAll();
  text_->ensureCursorVisible();
  text_->setFocus();
}
