// SPDX-License-Identifier: MIT
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QMap>
#include <QProcess>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>

#include "app/WindowPlacement.h"
#include "platform/ui/HelpViewer.h"
#include "tests/support/MainWindowFixture.h"

namespace {

const QSize kDesign(1016, 745);
const QSize kMinimum(400, 280);

// A laptop's 1366 x 768 screen less a panel, as the window sees it at a scale factor:
// every size in logical pixels.
QRect SmallScreen(double scale) {
    return QRect(0, 0, static_cast<int>(1366 / scale), static_cast<int>((768 - 40) / scale));
}

TEST(OpeningGeometry, fitsTheScreenKeepingTheDesignProportionsAtEveryScale) {
    for (const double scale : {1.0, 1.75, 2.0}) {
        const QRect available = SmallScreen(scale);
        const QRect geometry = app::OpeningGeometry(kDesign, kMinimum, available);
        EXPECT_TRUE(available.contains(geometry)) << scale;
        EXPECT_NEAR(static_cast<double>(geometry.width()) / geometry.height(),
                    static_cast<double>(kDesign.width()) / kDesign.height(), 0.02)
            << scale;
        EXPECT_LE(std::abs(geometry.center().x() - available.center().x()), 1) << scale;
    }
}

TEST(OpeningGeometry, opensAtTheDesignSizeWhereItFitsAndNeverBelowTheMinimum) {
    EXPECT_EQ(app::OpeningGeometry(kDesign, kMinimum, QRect(0, 0, 1920, 1040)).size(), kDesign);
    const QSize size =
        app::OpeningGeometry(kDesign, QSize(900, 700), QRect(0, 0, 1000, 1040)).size();
    EXPECT_GE(size.width(), 900);
    EXPECT_GE(size.height(), 700);
    EXPECT_LE(size.width(), 1000);
}

TEST(OpeningGeometry, theScreenWinsOverTheMinimum) {
    const QRect tiny(0, 0, 640, 400);
    EXPECT_TRUE(tiny.contains(app::OpeningGeometry(kDesign, QSize(900, 650), tiny)));
}

TEST(FitsOnAScreen, aPlacementOnAScreenThatIsGoneIsNotRestored) {
    const QList<QRect> two = {QRect(0, 0, 1920, 1040), QRect(1920, 0, 1280, 1000)};
    const QList<QRect> one = {QRect(0, 0, 1920, 1040)};
    const QRect onSecond(2000, 100, 900, 700);
    EXPECT_TRUE(app::FitsOnAScreen(onSecond, two));
    EXPECT_FALSE(app::FitsOnAScreen(onSecond, one));
    EXPECT_FALSE(app::FitsOnAScreen(QRect(1500, 100, 900, 700), two)) << "across two screens";
    EXPECT_FALSE(app::FitsOnAScreen(QRect(), two));
}

// The program started on a virtual screen of its own, with a scale factor, through the
// probe that places the window as a start of the program does.
class VirtualScreen : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QByteArray output;  // what the last run printed

    QMap<QString, QList<int>> run(double scale, const QStringList& arguments = {},
                                  const QString& program = QStringLiteral(PLACEMENT_PROBE)) {
        const QString config = dir.filePath(QStringLiteral("screen.json"));
        QFile file(config);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(R"({"screens": [{"name": "laptop", "x": 0, "y": 0, "width": 1366,
                       "height": 768, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
        file.close();
        QProcess probe;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"),
                           QStringLiteral("offscreen:configfile=") + config);
        environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::number(scale));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                           dir.filePath(QStringLiteral("config")));
        probe.setProcessEnvironment(environment);
        probe.start(program, arguments);
        EXPECT_TRUE(probe.waitForFinished(60000));
        EXPECT_EQ(probe.exitCode(), 0) << probe.readAllStandardError().toStdString();
        output = probe.readAllStandardOutput();
        QMap<QString, QList<int>> values;
        for (const QByteArray& line : output.split('\n')) {
            const QList<QByteArray> words = line.split(' ');
            for (int i = 1; i < words.size(); ++i) {
                values[QString::fromLatin1(words[0])] << words[i].toInt();
            }
        }
        return values;
    }

    static QRect Rect(const QList<int>& v) {
        return v.size() == 4 ? QRect(v[0], v[1], v[2], v[3]) : QRect();
    }
};

TEST_F(VirtualScreen, theWindowOpensWithinASmallScreenAtScaleFactorsOneToTwo) {
    for (const double scale : {1.0, 1.75, 2.0}) {
        const auto values = run(scale);
        const QRect available = Rect(values.value(QStringLiteral("available")));
        const QRect geometry = Rect(values.value(QStringLiteral("geometry")));
        ASSERT_TRUE(available.isValid()) << scale;
        EXPECT_NEAR(available.width(), 1366 / scale, 1.0) << "the scale reached the window";
        EXPECT_TRUE(available.contains(geometry))
            << scale << ": " << geometry.width() << "x" << geometry.height();
        const QList<int> minimum = values.value(QStringLiteral("minimum"));
        const QList<int> controls = values.value(QStringLiteral("controls"));
        ASSERT_EQ(minimum.size(), 2);
        ASSERT_EQ(controls.size(), 2);
        // The controls' minimum holds wherever the screen has room for it.
        EXPECT_LE(minimum[0], available.width()) << scale;
        if (controls[0] + 8 <= available.width()) {
            EXPECT_EQ(minimum[0], controls[0]) << scale;
        }
        EXPECT_GE(geometry.width(), minimum[0]) << scale;
        EXPECT_GE(geometry.height(), minimum[1]) << scale;
    }
}

TEST_F(VirtualScreen, sizePositionAndTabAreRememberedWhereTheyFit) {
    const QStringList move{QStringLiteral("move"), QStringLiteral("40"),  QStringLiteral("60"),
                           QStringLiteral("1100"), QStringLiteral("680"), QStringLiteral("2")};
    run(1.0, move);
    ASSERT_TRUE(QFile::exists(dir.filePath(QStringLiteral("config/kelvora/window.ini"))));
    const auto second = run(1.0);
    EXPECT_EQ(Rect(second.value(QStringLiteral("geometry"))), QRect(40, 60, 1100, 680));
    EXPECT_EQ(second.value(QStringLiteral("tab")), QList<int>{2});

    // At scale 2 the saved placement no longer fits: the window opens as on a first run.
    const auto scaled = run(2.0);
    const QRect available = Rect(scaled.value(QStringLiteral("available")));
    EXPECT_TRUE(available.contains(Rect(scaled.value(QStringLiteral("geometry")))));

    // Left maximised, it opens maximised, at that scale too.
    run(1.0, move + QStringList{QStringLiteral("max")});
    for (const double scale : {1.0, 2.0}) {
        EXPECT_EQ(run(scale).value(QStringLiteral("maximized")), QList<int>{1}) << scale;
    }
}

// On a 1366 x 768 laptop at every scale factor from 1 to 2, with the item detail pane open
// and closed, the maximised window with a dictionary open cuts no caption, overlaps no two
// controls, keeps every control inside its container and the grids' headers below the
// tabs (the probe checks the widgets' geometry; the screenshots stay in the build folder).
TEST_F(VirtualScreen, nothingIsCutOrOverlapsOnASmallScreenAtScaleFactorsOneToTwo) {
    const QString account = dir.filePath(QStringLiteral("demo"));
    ASSERT_TRUE(QDir().mkpath(account + QStringLiteral("/D_CUSTOMERS")));
    const QDir demo(QStringLiteral(KELVORA_SOURCE_DIR "/examples/demo/D_CUSTOMERS"));
    for (const QString& item : demo.entryList(QDir::Files)) {
        ASSERT_TRUE(
            QFile::copy(demo.filePath(item), account + QStringLiteral("/D_CUSTOMERS/") + item));
    }
    QDir().mkpath(QStringLiteral(SCREENSHOT_DIR));
    for (const double scale : {1.0, 1.25, 1.5, 1.75, 2.0}) {
        for (const bool detail : {false, true}) {
            const QString shot = QStringLiteral(SCREENSHOT_DIR "/small-screen-%1%2.png")
                                     .arg(scale)
                                     .arg(detail ? QStringLiteral("-detail") : QString());
            QFile::remove(shot);
            const auto values = run(scale,
                                    {account, QStringLiteral("CUSTOMERS"),
                                     detail ? QStringLiteral("1") : QStringLiteral("0"), shot},
                                    QStringLiteral(SCREEN_FIT_PROBE));
            EXPECT_TRUE(QFile::exists(shot)) << shot.toStdString();
            EXPECT_GT(values.value(QStringLiteral("checked")).value(0), 100) << output.data();
            EXPECT_FALSE(output.contains("problem"))
                << "scale " << scale << (detail ? " with the detail pane\n" : "\n")
                << output.toStdString();
        }
    }
}

class WindowPlacementTest : public MainWindowFixture {};

// At the controls' minimum every caption of the top strip is whole, and no two controls
// of the strip overlap; below 500 x 350 the window does not go.
TEST_F(WindowPlacementTest, atItsMinimumTheControlsKeepTheirCaptionsAndDoNotOverlap) {
    login();
    EXPECT_GT(window->minimumWidth(), 500);
    EXPECT_GT(window->minimumHeight(), 350);

    window->setMinimumSize(0, 0);
    window->resize(window->ControlsMinimumSize());
    QCoreApplication::processEvents();
    const char* const strip[] = {"Label1",  "txtFilename", "cmdOpen",   "cmdMakeChild", "cmdExport",
                                 "cmdHelp", "Label2",      "cmbPhrase", "cmdExit"};
    // A label's box reaches under the box beside it in the design; its text must not.
    const auto used = [this](const char* name) {
        QWidget& widget = control<QWidget>(name);
        QRect rect = widget.geometry();
        if (qobject_cast<QLabel*>(&widget) != nullptr) {
            rect.setWidth(
                QFontMetrics(widget.font()).horizontalAdvance(widget.property("text").toString()));
        }
        return rect;
    };
    for (const char* name : strip) {
        QWidget& widget = control<QWidget>(name);
        const QString caption = widget.property("text").toString().remove(QLatin1Char('&'));
        EXPECT_GE(widget.width(), QFontMetrics(widget.font()).horizontalAdvance(caption)) << name;
        for (const char* other : strip) {
            if (other != name) {
                EXPECT_FALSE(used(name).intersects(used(other))) << name << " overlaps " << other;
            }
        }
    }
}

// F1 opens the help at the section of the control that has the focus; every section it
// names is in the help file; the help window comes back where the user left it.
TEST_F(WindowPlacementTest, f1OpensTheHelpAtTheFocusedControlsSectionAndTheHelpKeepsItsPlace) {
    ASSERT_TRUE(QFile::copy(QStringLiteral(KELVORA_SOURCE_DIR "/docs/help/Kelvora.hlp"),
                            programDir.filePath(QStringLiteral("Kelvora.hlp"))));
    login();
    QFile file(programDir.filePath(QStringLiteral("Kelvora.hlp")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString helpText = QString::fromUtf8(file.readAll());
    auto* help = window->findChild<ui::HelpViewer*>(QStringLiteral("HelpViewer"));
    ASSERT_NE(help, nullptr);

    const std::pair<const char*, const char*> sections[] = {
        {"txtFilename", "Opening a dictionary"},
        {"cmbPhrase", "Narrowing the grids to a phrase"},
        {"TDBGrid1_2", "Changing an item"},
        {"cmdExport", "Exporting the dictionary"},
    };
    for (const auto& [name, heading] : sections) {
        ASSERT_TRUE(helpText.contains(QStringLiteral("## ") + QLatin1String(heading))) << heading;
        QApplication::setActiveWindow(window.get());
        QWidget& focused = control<QWidget>(name);
        focused.setFocus();
        QTest::keyClick(&focused, Qt::Key_F1);
        ASSERT_TRUE(help->isVisible()) << name;
        EXPECT_EQ(help->Browser()->cursorForPosition(QPoint(4, 4)).block().text(),
                  QLatin1String(heading))
            << name;
    }

    const QRect moved = help->geometry().translated(30, 40);
    help->setGeometry(moved);
    window->close();
    window.reset();
    login();
    help = window->findChild<ui::HelpViewer*>(QStringLiteral("HelpViewer"));
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->geometry(), moved);
}

}  // namespace
