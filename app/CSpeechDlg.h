// The main window: the text box, the picture buttons Speak, Stop, Save,
// Report, About and EXIT, Reset, the pitch and speed sliders, the list of
// characters and the speaking animation. The widgets live here; what they
// do is the SpeechController's, which sees them through SpeechView.
#pragma once

#include <QByteArray>
#include <QDialog>

#include "app/SpeechController.h"
#include "app/SpeechView.h"

class CHoverButton;
class QComboBox;
class QLabel;
class QLineEdit;
class QMovie;
class QPlainTextEdit;
class QPushButton;
class QSlider;

class CSpeechDlg : public QDialog, public SpeechView {
 public:
  // Control ids.
  static constexpr int kExitId = 1;
  static constexpr int kAnimationId = 102;
  static constexpr int kTextId = 1000;
  static constexpr int kSpeakId = 1001;
  static constexpr int kStopId = 1002;
  static constexpr int kSaveId = 1003;
  static constexpr int kVolumeId = 1004;
  static constexpr int kPitchId = 1005;
  static constexpr int kSpeedId = 1006;
  static constexpr int kResetId = 1007;
  static constexpr int kAboutId = 1008;
  static constexpr int kReportId = 1009;
  static constexpr int kSeparatorId = 1015;
  static constexpr int kVolumeLabelId = 1016;
  static constexpr int kPitchLabelId = 1017;
  static constexpr int kSpeedLabelId = 1018;
  static constexpr int kCharacterLabelId = 1024;
  static constexpr int kCharacterId = 1038;
  static constexpr int kLogoId = 140;
  static constexpr int kBannerId = 183;

  // The splash window comes up last. queueMode: how the controller serves
  // its queued requests (SpeechController).
  CSpeechDlg(EnginePort& engine, UiServices& ui, QWidget* parent = nullptr,
             RequestQueue::Mode queueMode = RequestQueue::Mode::kOwnThread);
  ~CSpeechDlg() override;

  // The initialisation, the modal run and the shut-down: the dialog's
  // result, or Rejected when the initialisation ended the program.
  int DoModal();
  // Loads the engine on a thread of its own while this thread's event loop
  // runs (the splash window keeps answering), then fills the dialog. The
  // engine's reports of the start wait until then, so that the box of a
  // failed start comes first and they join it.
  bool OnInitDialog();
  // Deletes the engine and releases the shared resources (once).
  void DestroyWindow();

  QWidget* Control(int id) const;
  SpeechController& controller() { return controller_; }

  void OnSpeak();
  void OnSpeakCommand();
  void OnStop();
  void OnVolumeReleased();
  void OnPitchReleased();
  void OnSpeedReleased();
  void OnReset();
  void OnSaveWave();
  void OnSelectCharacter();
  void OnAbout();
  void OnReport();
  // One remote-control request; true for TRUE.
  bool OnCopyData(const QByteArray& bytes);

  // SpeechView
  std::string Text() const override;
  void SetText(const std::string& text) override;
  int SliderPosition(Slider slider) const override;
  void SetSliderPosition(Slider slider, int position) override;
  int AddCharacter(const std::string& display, const std::string& name) override;
  void SelectCharacter(int index) override;
  std::string SelectedCharacter() const override;
  void StartAnimation() override;
  void StopAnimation() override;
  void EnableSpeak() override;
  void TakeFocus() override;
  void Activate() override;
  void SetLabels() override;
  void FocusText() override;

 private:
  void CreateControls();
  CHoverButton* PictureButton(int id, const QRect& rect, int bitmap, int tooltip,
                              void (CSpeechDlg::*handler)());
  // A slider whose settled moves (released after a drag, or moved by key,
  // wheel or a click beside the handle) run handler.
  QSlider* MakeSlider(int id, int minimum, int maximum, void (CSpeechDlg::*handler)());
  QLineEdit* MakeLabel(int id);
  void CreateAnimation();
  void OnCtlColor();
  QSlider* SliderOf(Slider slider) const;

  UiServices& ui_;
  SpeechController controller_;
  bool destroyed_ = false;
  QPlainTextEdit* text_ = nullptr;
  CHoverButton* speak_ = nullptr;
  CHoverButton* about_ = nullptr;
  CHoverButton* exit_ = nullptr;
  QPushButton* reset_ = nullptr;
  QSlider* volume_ = nullptr;
  QSlider* pitch_ = nullptr;
  QSlider* speed_ = nullptr;
  QLineEdit* volumeLabel_ = nullptr;
  QLineEdit* pitchLabel_ = nullptr;
  QLineEdit* speedLabel_ = nullptr;
  QLineEdit* characterLabel_ = nullptr;
  QComboBox* characters_ = nullptr;
  QLabel* animation_ = nullptr;
  QMovie* movie_ = nullptr;
};
