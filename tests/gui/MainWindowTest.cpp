// The main window's look and keyboard behaviour: captions, default texts,
// geometry to the pixel, bevels, disabled fields, tab order, Enter, Alt+C.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <array>

#include "app/gui/FileControls.h"
#include "app/gui/Frames.h"
#include "app/gui/Pictures.h"
#include "tests/gui/GuiTestSupport.h"

namespace tadmor::gui::test {
namespace {

struct FieldLook {
    const char* label;
    const char* defaultText;
};

// Label captions (blanks included) and default texts of Edit1 .. Edit28.
const std::array<FieldLook, 28> kFields = {{
    {"  Screw Diameter (cm) :", "15.0"},
    {"  Turns of Feed Zone :  ", "10.0"},
    {"  Turns of Compression Zone :", "6.0"},
    {"  Turns of Metering Zone :", "8.7"},
    {"  Turns of Delay in Melting : ", "5.0"},
    {"  Depth of Feed Zone Channel (cm) :", "1.4"},
    {"  Depth of Meter. Zone Channel (cm) : ", "0.4"},
    {"  Screw Pitch (cm) : ", "15.0"},
    {"  Flight Width (cm) :  ", "1.5"},
    {"  Number of Revolution (rpm) :", "38.0"},
    {"  Output (kg/hr)", "300.0"},
    {"  Barrel Temp. Para. (C0) : ", "290.0"},
    {"  Barrel Temp. Para. (C1) :", "0.0"},
    {"  Barrel Temp. Para. (C2)", "0.0"},
    {"  Viscosity Equation Para. (a0) : ", "7.442"},
    {"  Viscosity Equation Para. (a1) : ", "-0.80314"},
    {"  Viscosity Equation Para. (a11) : ", "-0.055098"},
    {"  Viscosity Equation Para. (a2) : ", "0.0047899"},
    {"  Viscosity Equation Para. (a22) : ", "-0.00012377"},
    {"  Viscosity Equation Para. (a12) : ", "0.0047277"},
    {"  Density of Solid (g/cm3) :", "1.34"},
    {"  Density of Melt (g/cm3) :", "1.2"},
    {"  Specific Heat of Solid (cal/g.\u2103) :", "0.4"},
    {"  Heat of Fusion (cal/g) :", "17.7"},
    {"  Specific Heat of Melt (cal/g.\u2103) :", "0.48"},
    {"  Thermal Cond of Melt (cal/cm.s.\u2103) :", "0.00052"},
    {"  Melting Point (\u2103) :", "265.0"},
    {"  Solid Temperature (\u2103) :", "30.0"},
}};

constexpr std::array<int, 14> kRowTops = {20, 38, 57, 75, 94, 112, 130, 149, 167, 186, 204, 222, 241, 259};
constexpr std::array<int, 14> kRowHeights = {18, 19, 18, 19, 18, 18, 19, 18, 19, 18, 18, 19, 18, 19};

bool IsEditable(int number) { return number <= 14 || number >= 28; }

TEST_F(MainWindowTest, WindowHasItsCaptionAFixedDialogFrameAndStandsCentred) {
    TMF_Tad& window = Window();
    EXPECT_EQ(window.windowTitle(), "Tadmor Model Simulation");
    EXPECT_EQ(window.size(), QSize(690, 486));
    EXPECT_EQ(window.minimumSize(), QSize(690, 486));
    EXPECT_EQ(window.maximumSize(), QSize(690, 486));
    const Qt::WindowFlags flags = window.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(window.testAttribute(Qt::WA_QuitOnClose));
    const QPoint offCentre = window.frameGeometry().center() - window.screen()->availableGeometry().center();
    EXPECT_LE(offCentre.manhattanLength(), 1) << offCentre.x() << "," << offCentre.y();
    EXPECT_EQ(window.palette().color(QPalette::Window), window.palette().color(QPalette::Button));
}

TEST_F(MainWindowTest, EveryFieldShowsItsLabelAndDefaultText) {
    for (int number = 1; number <= 28; ++number) {
        SCOPED_TRACE(number);
        const FieldLook& field = kFields[std::size_t(number - 1)];
        auto* panel = Window().GroupBox1->findChild<BevelPanel*>(QStringLiteral("Panel%1").arg(number));
        ASSERT_NE(panel, nullptr);
        EXPECT_EQ(panel->Caption(), QString::fromUtf8(field.label));
        EXPECT_EQ(panel->CaptionColour(), QColor(0, 0, 255));
        EXPECT_EQ(Edit(number).text(), QString::fromUtf8(field.defaultText));
        EXPECT_EQ(Edit(number).parentWidget(), panel);
        EXPECT_EQ(Edit(number).font().pixelSize(), 12);
        EXPECT_EQ(Edit(number).palette().color(QPalette::Active, QPalette::Text), QColor(Qt::black));
    }
    EXPECT_EQ(Edit(29).text(), "result.txt");
    EXPECT_EQ(Edit(29).font().pixelSize(), 15);
    EXPECT_EQ(Window().GroupBox1->title(), "  Input Data   ");
    EXPECT_EQ(Window().GroupBox2->title(), " Save File Name ");
    EXPECT_EQ(Window().GroupBox1->CaptionColour(), QColor(255, 0, 0));
    EXPECT_EQ(Window().GroupBox2->CaptionColour(), QColor(255, 0, 0));
    EXPECT_EQ(Window().BitBtn1->text(), "OK");
    EXPECT_EQ(Window().BitBtn2->text(), "&Close");
    EXPECT_FALSE(Window().BitBtn1->icon().isNull());
    EXPECT_FALSE(Window().BitBtn2->icon().isNull());
    EXPECT_TRUE(Window().BitBtn1->isDefault());
}

TEST_F(MainWindowTest, LabelPanelsStandInTwoColumnsOfFourteenRows) {
    for (int number = 1; number <= 28; ++number) {
        SCOPED_TRACE(number);
        const auto row = std::size_t((number - 1) % 14);
        const bool indented = number == 23 || number == 28;
        const int left = number <= 14 ? 10 : (indented ? 338 : 337);
        auto* panel = Window().GroupBox1->findChild<BevelPanel*>(QStringLiteral("Panel%1").arg(number));
        ASSERT_NE(panel, nullptr);
        EXPECT_EQ(panel->geometry(), QRect(left, kRowTops[row], indented ? 308 : 309, kRowHeights[row]));
        EXPECT_EQ(Edit(number).geometry(), QRect(number == 16 ? 212 : 211, 0, 96, 20));
    }
}

TEST_F(MainWindowTest, ControlsStandWhereTheLayoutPutsThem) {
    struct Place {
        const char* name;
        const char* parent;
        QRect geometry;
    };
    const Place places[] = {
        {"GroupBox1", "MF_Tad", {18, 21, 660, 292}},      {"GroupBox2", "MF_Tad", {278, 332, 112, 53}},
        {"Edit29", "GroupBox2", {17, 22, 76, 23}},        {"BitBtn1", "MF_Tad", {291, 395, 90, 30}},
        {"BitBtn2", "MF_Tad", {291, 438, 90, 30}},        {"DirectoryListBox1", "MF_Tad", {405, 363, 127, 104}},
        {"FileListBox1", "MF_Tad", {546, 338, 125, 129}}, {"Panel29", "MF_Tad", {17, 342, 247, 117}},
        {"Image1", "Panel29", {4, 4, 239, 109}},
    };
    for (const Place& place : places) {
        SCOPED_TRACE(place.name);
        auto* control = Window().findChild<QWidget*>(QLatin1String(place.name));
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->parentWidget()->objectName(), QLatin1String(place.parent));
        EXPECT_EQ(control->geometry(), place.geometry);
    }
    const QRect drive = Window().DriveComboBox1->geometry();
    EXPECT_EQ(drive.topLeft(), QPoint(406, 337));
    EXPECT_EQ(drive.width(), 128);
    EXPECT_EQ(Window().DirectoryListBox1->sizeHintForRow(0), FolderList::kRowHeight);
    EXPECT_EQ(FolderList::kRowHeight, 16);
    EXPECT_EQ(FileList::kRowHeight, 12);
}

TEST_F(MainWindowTest, PictureShowsFromItsTopLeftCornerAtNaturalSize) {
    const QLabel* image = Window().Image1;
    EXPECT_EQ(image->pixmap().size(), QSize(301, 142));
    EXPECT_FALSE(image->hasScaledContents());
    EXPECT_EQ(image->alignment(), Qt::AlignLeft | Qt::AlignTop);

    // Only the picture's top-left 239 x 109 pixels show, inside the bevels.
    const QImage shown = Window().grab().toImage();
    const QImage picture = ExtruderPicture();
    for (const QPoint at : {QPoint(0, 0), QPoint(80, 30), QPoint(150, 60), QPoint(238, 108)}) {
        EXPECT_EQ(shown.pixel(QPoint(21, 346) + at), picture.pixel(at)) << at.x() << "," << at.y();
    }
}

TEST_F(MainWindowTest, BevelsLieOnTheirPixels) {
    const QImage shown = Window().grab().toImage();
    const QColor light = Window().palette().color(QPalette::Light);
    const QColor dark = Window().palette().color(QPalette::Dark);
    const QColor face = Window().palette().color(QPalette::Window);
    ASSERT_NE(light, dark);
    struct Pixel {
        int x, y;
        QColor colour;
    };
    // Panel1 at window (28, 41), 309 x 18: raised outer, lowered inner bevel
    // of one pixel. Panel29 at (17, 342), 247 x 117: the same, two pixels each.
    const Pixel pixels[] = {
        {27, 41, face},    {28, 41, light},   {28, 42, light},  {29, 42, dark},    {336, 41, dark},  {336, 58, dark},
        {28, 58, dark},    {335, 57, light},  {100, 41, light}, {100, 42, dark},   {100, 57, light}, {100, 58, dark},
        {17, 342, light},  {18, 343, light},  {19, 344, dark},  {20, 345, dark},   {263, 400, dark}, {262, 400, dark},
        {261, 400, light}, {260, 400, light}, {140, 458, dark}, {140, 456, light},
    };
    for (const Pixel& pixel : pixels) {
        EXPECT_EQ(shown.pixel(pixel.x, pixel.y), pixel.colour.rgb()) << pixel.x << "," << pixel.y;
    }
}

TEST_F(MainWindowTest, ViscosityAndMaterialFieldsCannotBeChanged) {
    for (int number = 15; number <= 27; ++number) {
        SCOPED_TRACE(number);
        QLineEdit& edit = Edit(number);
        const QString before = edit.text();
        EXPECT_FALSE(edit.isEnabled());
        EXPECT_EQ(edit.focusPolicy(), Qt::NoFocus);
        QTest::mouseClick(&edit, Qt::LeftButton);
        EXPECT_FALSE(edit.hasFocus());
        QTest::keyClicks(&edit, "9");
        QTest::keyClick(&edit, Qt::Key_Backspace);
        EXPECT_EQ(edit.text(), before);
    }
    for (int number = 1; number <= 29; ++number) {
        EXPECT_EQ(Edit(number).isEnabled(), IsEditable(number)) << number;
    }
}

TEST_F(MainWindowTest, FocusStartsOnEdit1AndTabSkipsTheDisabledFields) {
    TMF_Tad& window = Window();
    EXPECT_EQ(QApplication::focusWidget(), &Edit(1));

    QStringList expected;
    for (int number = 1; number <= 29; ++number) {
        if (IsEditable(number)) {
            expected << QStringLiteral("Edit%1").arg(number);
        }
    }
    expected << "BitBtn1"
             << "BitBtn2"
             << "DriveComboBox1"
             << "DirectoryListBox1"
             << "FileListBox1"
             << "Edit1";
    QStringList visited{QApplication::focusWidget()->objectName()};
    while (visited.size() < expected.size()) {
        QTest::keyClick(window.windowHandle(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(visited, expected);  // ending round again at Edit1

    QTest::keyClick(window.windowHandle(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "FileListBox1");
}

TEST_F(MainWindowTest, EnterInAnyEditFieldStartsARequest) {
    // An empty file name stops every request at its last test, after all
    // the texts were read.
    Edit(29).clear();
    for (int number = 1; number <= 29; ++number) {
        if (!IsEditable(number)) {
            continue;
        }
        SCOPED_TRACE(number);
        Edit(number).setFocus();
        ModalResponder responder(Window());
        QTest::keyClick(Window().windowHandle(), number % 2 == 0 ? Qt::Key_Return : Qt::Key_Enter,
                        number % 2 == 0 ? Qt::NoModifier : Qt::KeypadModifier);
        ASSERT_EQ(responder.seen.size(), 1u);
        EXPECT_EQ(responder.seen[0].text, "Save File Name is not correct");
    }
}

TEST_F(MainWindowTest, EnterOnTheCloseButtonClosesTheWindowAndStartsNoRequest) {
    Window().BitBtn2->setFocus();
    ModalResponder responder(Window());
    QTest::keyClick(Window().windowHandle(), Qt::Key_Return);
    EXPECT_TRUE(responder.seen.empty());
    EXPECT_FALSE(Window().isVisible());
}

TEST_F(MainWindowTest, AltCClosesTheWindow) {
    QTest::keyClick(Window().windowHandle(), Qt::Key_C, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([this] { return !Window().isVisible(); }, 2000));
}

TEST_F(MainWindowTest, EscapeDoesNotCloseTheWindow) {
    QTest::keyClick(Window().windowHandle(), Qt::Key_Escape);
    QTest::qWait(50);
    EXPECT_TRUE(Window().isVisible());
}

}  // namespace
}  // namespace tadmor::gui::test
