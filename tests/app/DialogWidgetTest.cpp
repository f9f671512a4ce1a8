// The windows on Qt's offscreen platform: the main dialog in both languages,
// splash, picture buttons, About and language dialogs, engine reports.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMovie>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QWheelEvent>
#include <atomic>
#include <functional>
#include <thread>

#include "app/CAboutDlg.h"
#include "app/CHoverButton.h"
#include "app/CLanguageDlg.h"
#include "app/CSpeechDlg.h"
#include "app/CSplashWnd.h"
#include "app/EngineReports.h"
#include "app/ProductInfo.h"
#include "app/QtUiServices.h"
#include "app/Texts.h"
#include "tests/app/AppTestSupport.h"

namespace {

class DialogWidgetTest : public testing::Test {
 protected:
  DialogWidgetTest() {
    app_testing::App();
    CSplashWnd::EnableSplashScreen(false);
  }
  ~DialogWidgetTest() override {
    CSplashWnd::HideSplashScreen();
    g_bGreek = true;
  }
  app_testing::FakeEngine engine_;
  app_testing::FakeUi ui_;
};

QString TextOf(QWidget* w) {
  if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->text();
  if (auto* box = qobject_cast<QPlainTextEdit*>(w)) return box->toPlainText();
  return qobject_cast<QAbstractButton*>(w)->text();
}
void Click(QWidget* button) { qobject_cast<QAbstractButton*>(button)->click(); }

TEST_F(DialogWidgetTest, MainDialogControlsLabelsAndCharacterChoiceInEitherLanguage) {
  for (bool greek : {true, false}) {
    SCOPED_TRACE(greek ? "Greek" : "English");
    g_bGreek = greek;
    CSpeechDlg dialog(engine_, ui_, nullptr, RequestQueue::Mode::kInline);
    ASSERT_TRUE(dialog.OnInitDialog());
    EXPECT_EQ(dialog.size(), QSize(551, 400));
    for (int id :
         {1000, 1001, 1002, 1003, 1009, 1008, 1, 1015, 1007, 1005, 1006, 1017, 1018, 1024}) {
      ASSERT_NE(dialog.Control(id), nullptr);
      EXPECT_FALSE(dialog.Control(id)->isHidden()) << id;
    }
    // The animation's size is that of its pictures; the text keeps clear of it.
    EXPECT_EQ(dialog.Control(102)->geometry(), QRect(0, 235, 64, 64));
    dialog.show();  // the text box lays out its text area when shown
    QApplication::processEvents();
    const QWidget* textArea = qobject_cast<QPlainTextEdit*>(dialog.Control(1000))->viewport();
    const QRect textRect(textArea->mapTo(&dialog, QPoint(0, 0)), textArea->size());
    EXPECT_FALSE(textRect.intersects(dialog.Control(102)->geometry()));
    EXPECT_GT(textRect.width(), 400);
    for (int id : {1004, 1016, 1019, 1020, 1021, 1023}) EXPECT_TRUE(dialog.Control(id)->isHidden());
    const texts::DialogLabels& labels = texts::Labels(greek);
    const std::pair<int, const char*> texts[] = {
        {1016, labels.volume}, {1017, labels.pitch}, {1018, labels.speed}, {1024, labels.character},
        {1008, labels.about},  {1, labels.exit},     {1007, labels.reset}, {1000, labels.text},
    };
    for (const auto& [id, text] : texts) EXPECT_EQ(TextOf(dialog.Control(id)), QString(text));
    // The tooltips are English in both interfaces.
    EXPECT_EQ(dialog.Control(1001)->toolTip(), "Speak!");
    EXPECT_EQ(dialog.Control(1009)->toolTip(), product::kSupportAddress);
    // The animation is the GIF "an.cra" of the installation.
    auto* movie = qobject_cast<QLabel*>(dialog.Control(102))->movie();
    ASSERT_NE(movie, nullptr);
    EXPECT_GT(movie->frameCount(), 1);
    // Only a user's choice of character shows the warning.
    dialog.SelectCharacter(1);
    EXPECT_TRUE(ui_.boxes.empty());
    engine_.results["SelectVoiceFont"] = -1110;
    QTest::keyClick(qobject_cast<QComboBox*>(dialog.Control(CSpeechDlg::kCharacterId)), Qt::Key_Up);
    ASSERT_EQ(ui_.boxes.size(), 2u);
    EXPECT_EQ(std::get<1>(ui_.boxes[0]), texts::CharacterWarning(greek));
    EXPECT_EQ(std::get<1>(ui_.boxes[1]), "Error:tmengine__SelectVoiceFont:-1110\nthe last error");
    EXPECT_EQ(engine_.calls.back(), "SelectVoiceFont default.vof");
    ui_.boxes.clear();
    dialog.DestroyWindow();
  }
}

TEST_F(DialogWidgetTest, SplashGoesAfterItsTimeWhileTheEngineStillLoads) {
  CSplashWnd::EnableSplashScreen(true);
  CSplashWnd::ShowSplashScreen(nullptr, 50);
  ASSERT_NE(CSplashWnd::Current(), nullptr);
  // The load ends only once the splash has gone (or after ten seconds).
  std::atomic<bool> gone{false};
  QObject::connect(CSplashWnd::Current(), &QObject::destroyed, [&gone] { gone = true; });
  bool goneWhileLoading = false;
  engine_.onLoad = [&] {
    for (int i = 0; i < 1000 && !gone; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    goneWhileLoading = gone;
  };
  CSpeechDlg dialog(engine_, ui_);
  ASSERT_TRUE(dialog.OnInitDialog());
  EXPECT_TRUE(goneWhileLoading);
  dialog.DestroyWindow();
}

TEST_F(DialogWidgetTest, SplashTakesTheFirstKeyOrClickButNotAMove) {
  QLineEdit target;
  target.show();
  CSplashWnd::EnableSplashScreen(true);
  CSplashWnd::ShowSplashScreen(nullptr, 60000);
  ASSERT_NE(CSplashWnd::Current(), nullptr);
  QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), QPointF(2, 2), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QApplication::sendEvent(&target, &move);
  EXPECT_NE(CSplashWnd::Current(), nullptr);
  QTest::keyClick(&target, Qt::Key_A);
  EXPECT_EQ(CSplashWnd::Current(), nullptr);
  EXPECT_EQ(target.text(), "");
  QTest::keyClick(&target, Qt::Key_A);
  EXPECT_EQ(target.text(), "a");

  CSplashWnd::ShowSplashScreen(nullptr, 60000);
  QTest::mouseClick(CSplashWnd::Current(), Qt::RightButton);
  EXPECT_EQ(CSplashWnd::Current(), nullptr);

  // Switched off, or without its picture, there is no splash.
  CSplashWnd::EnableSplashScreen(false);
  CSplashWnd::ShowSplashScreen(nullptr);
  EXPECT_EQ(CSplashWnd::Current(), nullptr);
  CSplashWnd::EnableSplashScreen(true);
  testing_support::TempDir empty;
  testing_support::ScopedEnv registry("XDG_CONFIG_HOME", empty.path().c_str());
  CSplashWnd::ShowSplashScreen(nullptr);
  EXPECT_EQ(CSplashWnd::Current(), nullptr);
}

TEST_F(DialogWidgetTest, PictureButtonShowsTheFrameOfItsState) {
  QPixmap strip(192, 40);
  QPainter painter(&strip);
  const QColor colours[] = {Qt::red, Qt::green, Qt::blue};
  for (int i = 0; i < 3; ++i) painter.fillRect(i * 64, 0, 64, 40, colours[i]);
  painter.end();
  CHoverButton button;
  ASSERT_TRUE(button.LoadBitmap(strip));
  EXPECT_EQ(button.size(), QSize(64, 40));
  const auto shown = [&button] { return button.grab().toImage().pixelColor(10, 10); };
  EXPECT_EQ(shown(), QColor(Qt::red));
  button.OnMouseMove();
  EXPECT_EQ(shown(), QColor(Qt::blue));
  button.setDown(true);
  EXPECT_EQ(shown(), QColor(Qt::green));
  button.setDown(false);
  button.OnMouseLeave();
  EXPECT_EQ(shown(), QColor(Qt::red));
}

TEST_F(DialogWidgetTest, AboutTextsFollowTheirButtons) {
  CAboutDlg about(ui_);
  EXPECT_TRUE(about.windowTitle().startsWith("ZORVALIS Varudu Zovivari - "));
  QWidget* text = about.Control(CAboutDlg::kTextId);
  QWidget* toggle = about.Control(CAboutDlg::kToggleId);
  EXPECT_EQ(TextOf(text), QString::fromUtf8(product::Description(true)));
  EXPECT_EQ(TextOf(toggle), "LICENSE...");
  Click(toggle);
  Click(about.Control(CAboutDlg::kEnglishTextId));
  EXPECT_EQ(TextOf(text), QString::fromUtf8(product::TermsOfUse(false)));
  EXPECT_EQ(TextOf(toggle), "Info...");
  Click(toggle);
  EXPECT_EQ(TextOf(text), QString::fromUtf8(product::Description(false)));

  for (int id : {CAboutDlg::kContactId, CAboutDlg::kProductPageId, CAboutDlg::kSynthesizerPageId})
    Click(about.Control(id));
  EXPECT_EQ(ui_.links,
            (std::vector<std::string>{std::string("mailto:") + product::kContactAddress,
                                      product::kProductPage, product::kSynthesizerPage}));
  EXPECT_TRUE(ui_.boxes.empty());
  // Without a program of the desktop that opens them, a box says so.
  ui_.linksOpen = false;
  Click(about.Control(CAboutDlg::kProductPageId));
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(std::get<1>(ui_.boxes[0]), texts::NoLinkHandler(g_bGreek, product::kProductPage));
}

TEST_F(DialogWidgetTest, LanguageDialogChoosesTheInterface) {
  CLanguageDlg escaped;
  escaped.show();
  QTest::keyClick(&escaped, Qt::Key_Escape);
  EXPECT_TRUE(g_bGreek);
  CLanguageDlg chosen;
  Click(chosen.Control(CLanguageDlg::kEnglishId));
  EXPECT_FALSE(g_bGreek);
  Click(chosen.Control(CLanguageDlg::kGreekId));
  EXPECT_TRUE(g_bGreek);
}

TEST_F(DialogWidgetTest, EngineReportsBecomeBoxesWithoutHoldingUpTheReporter) {
  EngineReports reports;
  // Returns at once, before the GUI thread has looked at its events.
  std::thread speech([] { platform::ShowMessageBox("Tamrin Engine", "report \xE1"); });
  speech.join();
  QMessageBox* shown = nullptr;
  ASSERT_TRUE(QTest::qWaitFor([&shown] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (auto* box = qobject_cast<QMessageBox*>(w); box != nullptr && box->isVisible())
        shown = box;
    }
    return shown != nullptr;
  }));
  EXPECT_EQ(shown->windowTitle(), "Tamrin Engine");
  EXPECT_EQ(shown->text(), "report α");
  shown->close();
}

// The message boxes on the screen.
std::vector<QMessageBox*> VisibleBoxes() {
  std::vector<QMessageBox*> boxes;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (auto* box = qobject_cast<QMessageBox*>(w); box != nullptr && box->isVisible())
      boxes.push_back(box);
  }
  return boxes;
}

void CloseBoxes() {
  for (QMessageBox* box : VisibleBoxes()) box->close();
  QTest::qWait(1);
}

TEST_F(DialogWidgetTest, BoxesThatComeWhileOneIsOpenJoinIt) {
  g_bGreek = false;
  EngineReports reports;
  QtUiServices ui;
  // A damaged file reports line after line from the speech thread.
  std::thread speech([] {
    for (int i = 0; i < 500; ++i)
      platform::ShowMessageBox("Tamrin Engine", "12:00:01\treport " + std::to_string(i));
  });
  speech.join();
  ASSERT_TRUE(QTest::qWaitFor([] {
    return VisibleBoxes().size() == 1 && VisibleBoxes()[0]->text().contains("report 499");
  }));
  ui.MessageBox("ZORVALIS Varudu Zovivari", "Error:tmengine__SetVolumeReference:-2005\nVolume",
                UiServices::BoxIcon::kNone);
  const std::vector<QMessageBox*> boxes = VisibleBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0]->windowTitle(), "Tamrin Engine");
  // The first report without its time stamp, the number that joined it,
  // then their last lines.
  EXPECT_EQ(boxes[0]->text(),
            "report 0\n\n500 more messages; the last:\nreport 496\nreport 497\nreport 498\n"
            "report 499\nError:tmengine__SetVolumeReference:-2005\nVolume");
  CloseBoxes();
  // Once it is closed, the next message has a box of its own.
  ui.MessageBox("ZORVALIS Varudu Zovivari", "File saved!", UiServices::BoxIcon::kNone);
  ASSERT_EQ(VisibleBoxes().size(), 1u);
  EXPECT_EQ(VisibleBoxes()[0]->text(), "File saved!");
  CloseBoxes();
}

// The desktop services, but the exit is only recorded.
class RecordedExit : public QtUiServices {
 public:
  std::vector<int> exits;
  void Exit(int code) override {
    exits.push_back(code);
    EngineReports::Hold(false);
  }
};

TEST_F(DialogWidgetTest, FailedStartShowsOneBoxThatSaysWhatFailed) {
  g_bGreek = false;
  EngineReports reports;
  RecordedExit ui;
  engine_.results["LoadSharedResources"] = -1022;
  engine_.onLoad = [] {
    platform::ShowMessageBox("Tamrin Engine", "12:00:01\tcannot read lexicon.dat");
    platform::ShowMessageBox("Tamrin Engine", "12:00:01\tno rules loaded");
  };
  CSpeechDlg dialog(engine_, ui, nullptr, RequestQueue::Mode::kInline);
  EXPECT_FALSE(dialog.OnInitDialog());
  EXPECT_EQ(ui.exits, std::vector<int>{10});
  QTest::qWait(50);
  const std::vector<QMessageBox*> boxes = VisibleBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0]->windowTitle(), texts::kErrorCaption);
  EXPECT_EQ(boxes[0]->text(), QString::fromStdString(texts::StartFailed(false, "the last error")) +
                                  "\n\n2 more messages; the last:\ncannot read lexicon.dat\n"
                                  "no rules loaded");
  CloseBoxes();
}

TEST_F(DialogWidgetTest, SliderMovesByKeyOrWheelReachTheEngineButResetSendsNoVolume) {
  CSpeechDlg dialog(engine_, ui_, nullptr, RequestQueue::Mode::kInline);
  ASSERT_TRUE(dialog.OnInitDialog());
  const auto wheel = [](QWidget* slider) {
    const QPointF at(slider->width() / 2.0, slider->height() / 2.0);
    QWheelEvent event(at, slider->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(slider, &event);
  };
  const auto key = [](QWidget* slider) { QTest::keyClick(slider, Qt::Key_Right); };
  using Move = std::function<void(QWidget*)>;
  // Pitch starts at 100 (1.0), speed at 150 (1.0).
  const std::tuple<const char*, int, Move, std::string> rows[] = {
      {"pitch by key", CSpeechDlg::kPitchId, key, "SetPitchReference 1.01"},
      {"speed by key", CSpeechDlg::kSpeedId, key, "SetSpeedReference 0.99"},
      {"pitch by wheel", CSpeechDlg::kPitchId, wheel, "SetPitchReference 0.97"},
      {"speed by wheel", CSpeechDlg::kSpeedId, wheel, "SetSpeedReference 1.03"},
  };
  for (const auto& [name, id, move, call] : rows) {
    SCOPED_TRACE(name);
    dialog.OnReset();
    QTest::qWait(1);
    engine_.calls.clear();
    move(dialog.Control(id));
    QTest::qWait(1);
    EXPECT_EQ(engine_.calls, std::vector<std::string>{call});
  }
  // Reset moves the sliders itself: only its own two references go out.
  engine_.calls.clear();
  Click(dialog.Control(CSpeechDlg::kResetId));
  QTest::qWait(1);
  EXPECT_EQ(engine_.calls,
            (std::vector<std::string>{"SetSpeedReference 1", "SetPitchReference 1"}));
  dialog.DestroyWindow();
}

}  // namespace
