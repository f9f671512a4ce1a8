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
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <atomic>
#include <functional>
#include <set>
#include <thread>
#include <utility>

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

class DialogWidgetTest : public testing::Test {
 protected:
  DialogWidgetTest() {
    app_testing::App();
    CSplashWnd::EnableSplashScreen(false);
  }
  ~DialogWidgetTest() override {
    CloseBoxes();
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

// Each box on the screen as its caption, a line feed and its text.
std::multiset<QString> Shown() {
  std::multiset<QString> shown;
  for (QMessageBox* box : VisibleBoxes()) shown.insert(box->windowTitle() + "\n" + box->text());
  return shown;
}

// The main window as the program builds it: the engine's reports shown as
// boxes, the desktop's services owned by the window.
struct ProgramWindow {
  explicit ProgramWindow(app_testing::FakeEngine& engine)
      : dialog(engine, ui, nullptr, RequestQueue::Mode::kInline) {
    ui.SetOwner(&dialog);
  }
  ~ProgramWindow() { dialog.DestroyWindow(); }
  EngineReports reports;
  QtUiServices ui;
  CSpeechDlg dialog;
};

TEST_F(DialogWidgetTest, OnlyEngineReportsOfOneCaptionJoinAnOpenBoxAndEveryOtherMessageHasItsOwn) {
  g_bGreek = false;
  ProgramWindow program(engine_);
  CSpeechDlg& dialog = program.dialog;
  ASSERT_TRUE(dialog.OnInitDialog());
  dialog.show();
  // A damaged file reports line after line from the speech thread.
  std::thread speech([] {
    for (int i = 0; i < 500; ++i)
      platform::ShowMessageBox("Tamrin Engine", "12:00:01\treport " + std::to_string(i));
  });
  speech.join();
  ASSERT_TRUE(QTest::qWaitFor([] {
    return VisibleBoxes().size() == 1 && VisibleBoxes()[0]->text().contains("report 499");
  }));
  // The program's own messages: a remote s:30 that fails, then another of
  // the same caption and icon.
  engine_.results["SetSpeedReference"] = -2005;
  EXPECT_TRUE(dialog.OnCopyData("[s:30]"));
  program.ui.MessageBox(texts::kAppName, texts::kFileSaved, UiServices::BoxIcon::kNone);
  // One more report joins the reports' box.
  platform::ShowMessageBox("Tamrin Engine", "12:00:02\tno voice file");
  QTest::qWait(1);
  // The first report without its time stamp, the number that joined it,
  // then their last lines.
  const std::multiset<QString> expected = {
      "Tamrin Engine\nreport 0\n\n500 more messages; the last:\nreport 495\nreport 496\n"
      "report 497\nreport 498\nreport 499\nno voice file",
      "ZORVALIS Varudu Zovivari\nError:tmengine__SetSpeedReference:-2005\nthe last error",
      "ZORVALIS Varudu Zovivari\nFile saved!",
  };
  EXPECT_EQ(Shown(), expected);
  CloseBoxes();

  // One report that joined is one message, in either language.
  const std::pair<bool, const char*> rows[] = {
      {false, "first\n\n1 more message; the last:\nsecond"},
      {true, "first\n\nΑκόμα 1 μήνυμα· το τελευταίο:\nsecond"},
  };
  for (const auto& [greek, text] : rows) {
    SCOPED_TRACE(greek ? "Greek" : "English");
    g_bGreek = greek;
    platform::ShowMessageBox("Tamrin Engine", "12:00:03\tfirst");
    platform::ShowMessageBox("Tamrin Engine", "12:00:03\tsecond");
    QTest::qWait(1);
    EXPECT_EQ(Shown(), std::multiset<QString>{QString("Tamrin Engine\n") + text});
    CloseBoxes();
  }
}

// What Qt tells the windows: whether a modal window blocks their input,
// and which were raised above the others, in turn.
class WindowWatch : public QObject {
 public:
  WindowWatch() { QApplication::instance()->installEventFilter(this); }
  bool Blocked(QObject* window) const { return blocked_.count(window) != 0; }
  std::vector<QObject*> raised;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::WindowBlocked) blocked_.insert(watched);
    if (event->type() == QEvent::WindowUnblocked) blocked_.erase(watched);
    if (event->type() == QEvent::ZOrderChange && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->isWindow())
      raised.push_back(watched);
    return false;
  }

 private:
  std::set<QObject*> blocked_;
};

// The one box on the screen, once it has come (null when none came).
QMessageBox* WaitForOneBox() {
  if (!QTest::qWaitFor([] { return VisibleBoxes().size() == 1; })) return nullptr;
  const std::vector<QMessageBox*> boxes = VisibleBoxes();
  return boxes.size() == 1 ? boxes[0] : nullptr;
}

// A report from the speech thread, as of a voice file missing after Speak.
void ReportFromSpeech(const std::string& text) {
  std::thread([text] { platform::ShowMessageBox("Tamrin Engine", text); }).join();
}

TEST_F(DialogWidgetTest,
       EngineBoxesOverTheModalMainWindowOrAboutCloseWithReturnEscapeOrCloseButton) {
  // A damaged lexicon: its report comes while the engine loads, before the
  // main window's modal run.
  engine_.onLoad = [] { platform::ShowMessageBox("Tamrin Engine", "12:00:01\tdamaged lexicon"); };
  ProgramWindow program(engine_);
  CSpeechDlg& dialog = program.dialog;
  WindowWatch watch;
  ASSERT_TRUE(dialog.OnInitDialog());
  // Keys come through the window system, as the keyboard's do: a window
  // that a modal window blocks never gets them. The close button asks the
  // window system to close a window that no modal window blocks.
  using Close = std::function<void(QMessageBox*)>;
  const auto press = [](Qt::Key key) -> Close {
    return [key](QMessageBox* box) { QTest::keyClick(box->windowHandle(), key); };
  };
  // Whether the one box on the screen goes when closed so.
  const auto closes = [&watch](const Close& close) {
    QMessageBox* box = WaitForOneBox();
    if (box == nullptr) return false;
    // What the window system has told the program so far.
    QApplication::processEvents();
    EXPECT_FALSE(watch.Blocked(box));
    close(box);
    const bool gone = QTest::qWaitFor([] { return VisibleBoxes().empty(); }, 1000);
    CloseBoxes();
    return gone;
  };
  const std::pair<const char*, Close> rows[] = {
      {"Return", press(Qt::Key_Return)},
      {"Escape", press(Qt::Key_Escape)},
      {"close button", [](QMessageBox* box) { box->windowHandle()->close(); }},
  };
  QTimer::singleShot(0, &dialog, [&] {
    // The start's box came before the main window, and goes above it.
    QMessageBox* start = WaitForOneBox();
    QApplication::processEvents();
    EXPECT_EQ(watch.raised, std::vector<QObject*>{start});
    // The start's box, then a box of the speech thread after each.
    for (const auto& [name, close] : rows) {
      SCOPED_TRACE(name);
      EXPECT_TRUE(closes(close));
      ReportFromSpeech("12:00:02\tno voice file");
    }
    // Over the About dialog's modal run too, and a box that is still open
    // when it ends stays.
    CAboutDlg about(program.ui, &dialog);
    QTimer::singleShot(0, &about, [&] {
      SCOPED_TRACE("About");
      EXPECT_TRUE(closes(press(Qt::Key_Return)));
      ReportFromSpeech("12:00:03\tno voice file");
      EXPECT_NE(WaitForOneBox(), nullptr);
      about.accept();
    });
    about.exec();
    EXPECT_TRUE(closes(press(Qt::Key_Escape)));
    dialog.accept();
  });
  EXPECT_EQ(dialog.exec(), QDialog::Accepted);
}

TEST_F(DialogWidgetTest, ARemoteCommandBringsUpTheMainWindowBelowItsOpenBoxes) {
  ProgramWindow program(engine_);
  CSpeechDlg& dialog = program.dialog;
  ASSERT_TRUE(dialog.OnInitDialog());
  dialog.show();
  // An engine report, then the error of a remote s:30.
  ReportFromSpeech("12:00:01\tno voice file");
  ASSERT_NE(WaitForOneBox(), nullptr);
  engine_.results["SetSpeedReference"] = -2005;
  EXPECT_TRUE(dialog.OnCopyData("[s:30]"));
  const std::vector<QMessageBox*> boxes = VisibleBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  for (const char* command : {"[p:10]", "[stop]"}) {
    SCOPED_TRACE(command);
    WindowWatch watch;
    EXPECT_TRUE(dialog.OnCopyData(command));
    // The main window came to the front, then each box above it.
    const auto last = [&watch](QObject* window) {
      return std::find(watch.raised.rbegin(), watch.raised.rend(), window).base();
    };
    EXPECT_NE(last(&dialog), watch.raised.begin());
    for (QMessageBox* box : boxes) EXPECT_GT(last(box), last(&dialog));
  }
}

TEST_F(DialogWidgetTest, TabMovesThroughTheControlsInVisualOrderCtrlTabTypesATabSpacePresses) {
  CSpeechDlg dialog(engine_, ui_, nullptr, RequestQueue::Mode::kInline);
  ASSERT_TRUE(dialog.OnInitDialog());
  dialog.show();
  QApplication::setActiveWindow(&dialog);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  // Keys through the window system, to the control that has the focus.
  const auto press = [&dialog](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(dialog.windowHandle(), key, modifiers);
  };
  const auto focused = [] {
    return QApplication::focusWidget() == nullptr
               ? -1
               : QApplication::focusWidget()->objectName().toInt();
  };
  // Left to right in each row, the rows from the top, round: from the text
  // box, which has the focus at start, to the row below it, then the top.
  const std::vector<int> forward = {
      CSpeechDlg::kResetId, CSpeechDlg::kPitchId,  CSpeechDlg::kSpeedId, CSpeechDlg::kCharacterId,
      CSpeechDlg::kSpeakId, CSpeechDlg::kReportId, CSpeechDlg::kStopId,  CSpeechDlg::kAboutId,
      CSpeechDlg::kSaveId,  CSpeechDlg::kExitId,   CSpeechDlg::kTextId};
  std::vector<int> backward(forward.rbegin() + 1, forward.rend());
  backward.push_back(CSpeechDlg::kTextId);
  ASSERT_EQ(focused(), CSpeechDlg::kTextId);
  QWidget* stop = dialog.Control(CSpeechDlg::kStopId);
  const QImage unfocused = stop->grab().toImage();
  const auto visit = [&](Qt::KeyboardModifiers modifiers) {
    std::vector<int> visited;
    for (std::size_t i = 0; i < forward.size(); ++i) {
      press(Qt::Key_Tab, modifiers);
      visited.push_back(focused());
    }
    return visited;
  };
  EXPECT_EQ(visit(Qt::NoModifier), forward);
  EXPECT_EQ(visit(Qt::ShiftModifier), backward);

  // Ctrl+Tab types a tab, and the text box keeps the focus.
  auto* text = qobject_cast<QPlainTextEdit*>(dialog.Control(CSpeechDlg::kTextId));
  text->setPlainText("ab");
  text->moveCursor(QTextCursor::End);
  press(Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(text->toPlainText(), "ab\t");
  EXPECT_EQ(focused(), CSpeechDlg::kTextId);

  // Space presses the button that has the focus.
  const std::pair<int, std::vector<std::string>> buttons[] = {
      {CSpeechDlg::kStopId, {"Stop"}},
      {CSpeechDlg::kResetId, {"SetSpeedReference 1", "SetPitchReference 1"}},
      {CSpeechDlg::kSpeakId, {"TextToSpeech ab\t 0"}},
  };
  for (const auto& [id, calls] : buttons) {
    SCOPED_TRACE(id);
    for (std::size_t i = 0; i < forward.size() && focused() != id; ++i) press(Qt::Key_Tab);
    ASSERT_EQ(focused(), id);
    // A picture button shows that it has the focus.
    if (id == CSpeechDlg::kStopId) {
      EXPECT_NE(stop->grab().toImage(), unfocused);
    }
    engine_.calls.clear();
    press(Qt::Key_Space);
    QTest::qWait(1);
    EXPECT_EQ(engine_.calls, calls);
  }
  dialog.DestroyWindow();
}

// The desktop services, but the exit is only recorded.
class RecordedExit : public QtUiServices {
 public:
  std::vector<int> exits;
  void Exit(int code) override { exits.push_back(code); }
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
  // The engine's reports of its start say why it failed: they join the
  // dialog's box instead of opening one of their own.
  const std::multiset<QString> expected = {
      QString(texts::kErrorCaption) + "\n" +
          QString::fromStdString(texts::StartFailed(false, "the last error")) +
          "\n\n2 more messages; the last:\ncannot read lexicon.dat\nno rules loaded",
  };
  EXPECT_EQ(Shown(), expected);
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
