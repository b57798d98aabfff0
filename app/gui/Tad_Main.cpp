#include "app/gui/Tad_Main.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>

#include <exception>

#include "app/gui/F_Form.h"
#include "app/gui/FileControls.h"
#include "app/gui/Frames.h"
#include "app/gui/Look.h"
#include "app/gui/Pictures.h"
#include "model/InputFields.h"

using namespace tadmor::gui;
using tadmor::kFieldCount;
using tadmor::kInputFields;
using tadmor::kNumericFieldCount;

namespace {

// The 14 rows of label panels in the input group: tops and heights.
constexpr int kRowCount = 14;
constexpr std::array<int, kRowCount> kRowTops = {20, 38, 57, 75, 94, 112, 130, 149, 167, 186, 204, 222, 241, 259};
constexpr std::array<int, kRowCount> kRowHeights = {18, 19, 18, 19, 18, 18, 19, 18, 19, 18, 18, 19, 18, 19};

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

QLineEdit* MakeEdit(QWidget* parent, const tadmor::InputField& field, const std::string& text, int pixelSize,
                    const QRect& geometry) {
    auto* edit = new QLineEdit(FromUtf8(text), parent);
    edit->setObjectName(FromUtf8(field.edit));
    edit->setFont(GothicFont(pixelSize));
    QPalette look = edit->palette();
    look.setColor(QPalette::Active, QPalette::Text, kTextBlack);
    look.setColor(QPalette::Inactive, QPalette::Text, kTextBlack);
    edit->setPalette(look);
    edit->setGeometry(geometry);
    if (!field.editable) {
        edit->setEnabled(false);
        edit->setFocusPolicy(Qt::NoFocus);
    }
    return edit;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, const QImage& glyph,
                        const QRect& geometry) {
    auto* button = new QPushButton(QIcon(QPixmap::fromImage(glyph)), caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setIconSize(QSize(kGlyphSize, kGlyphSize));
    button->setGeometry(geometry);
    return button;
}

// A message box centred on the screen, once its size is known.
class CentredMessageBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event);
        CentreOnScreen(*this);
    }
};

void ShowBox(QMessageBox::Icon icon, const std::string& text) {
    // Application-modal: the box blocks the whole program until it is closed.
    CentredMessageBox box(icon, TMF_Tad::kTitle, QString::fromStdString(text), QMessageBox::Ok);
    box.exec();
}

}  // namespace

const QString TMF_Tad::kTitle = QStringLiteral("Tadmor Model Simulation");

char LocaleDecimalSeparator() {
    const QString point = QLocale::system().decimalPoint();
    if (point.size() == 1 && point.front().unicode() < 0x80) {
        return char(point.front().unicode());
    }
    return '.';
}

TMF_Tad::TMF_Tad() : FixedDialog(Qt::Window, QSize(690, 486), kTitle) {
    setObjectName(QStringLiteral("MF_Tad"));
    BuildInputFields();

    BitBtn1 = MakeButton(this, "BitBtn1", QStringLiteral("OK"), CheckMarkGlyph(), QRect(291, 395, 90, 30));
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &TMF_Tad::BitBtn1Click);
    BitBtn2 = MakeButton(this, "BitBtn2", QStringLiteral("&Close"), DoorGlyph(), QRect(291, 438, 90, 30));
    connect(BitBtn2, &QPushButton::clicked, this, &QWidget::close);

    BuildFileControls();

    Panel29 = new BevelPanel(this, Bevel::Raised, Bevel::Lowered, 2);
    Panel29->setObjectName(QStringLiteral("Panel29"));
    Panel29->setGeometry(17, 342, 247, 117);
    Image1 = new QLabel(Panel29);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(QPixmap::fromImage(ExtruderPicture()));
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);  // natural size, clipped
    Image1->setGeometry(Panel29->InnerRect());

    SetTabOrder();
    Edits[0]->setFocus();
}

void TMF_Tad::BuildInputFields() {
    GroupBox1 = new CaptionGroupBox(this, QStringLiteral("  Input Data   "), GothicFont(15), kCaptionRed);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(18, 21, 660, 292);

    // The default numbers are written with the locale's decimal separator, so
    // that a request with the defaults runs whatever the locale.
    const tadmor::FieldTexts defaults = tadmor::DefaultFieldTexts(LocaleDecimalSeparator());
    for (int i = 0; i < kNumericFieldCount; ++i) {
        const tadmor::InputField& field = kInputFields[std::size_t(i)];
        const int row = i % kRowCount;
        const bool rightColumn = i >= kRowCount;
        const bool indented = i == 22 || i == 27;  // fields 23 and 28 stand one pixel in

        auto* panel = new BevelPanel(GroupBox1, Bevel::Raised, Bevel::Lowered, 1);
        panel->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        panel->setGeometry(rightColumn ? (indented ? 338 : 337) : 10, kRowTops[std::size_t(row)], indented ? 308 : 309,
                           kRowHeights[std::size_t(row)]);
        panel->SetCaption(FromUtf8(field.label), Qt::AlignLeft | Qt::AlignVCenter, GothicFont(12), kCaptionBlue);
        Panels[std::size_t(i)] = panel;

        const int editLeft = i == 15 ? 212 : 211;  // field 16 stands one pixel right
        Edits[std::size_t(i)] = MakeEdit(panel, field, defaults[std::size_t(i)], 12, QRect(editLeft, 0, 96, 20));
    }

    GroupBox2 = new CaptionGroupBox(this, QStringLiteral(" Save File Name "), GothicFont(15), kCaptionRed);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    GroupBox2->setGeometry(278, 332, 112, 53);
    Edits[kFieldCount - 1] =
        MakeEdit(GroupBox2, kInputFields[kFieldCount - 1], defaults[kFieldCount - 1], 15, QRect(17, 22, 76, 23));
}

void TMF_Tad::BuildFileControls() {
    DriveComboBox1 = new DriveSelector(this);
    DriveComboBox1->setObjectName(QStringLiteral("DriveComboBox1"));
    DriveComboBox1->setGeometry(406, 337, 128, DriveComboBox1->sizeHint().height());

    DirectoryListBox1 = new FolderList(this);
    DirectoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
    DirectoryListBox1->setGeometry(405, 363, 127, 104);

    FileListBox1 = new FileList(this);
    FileListBox1->setObjectName(QStringLiteral("FileListBox1"));
    FileListBox1->setGeometry(546, 338, 125, 129);

    // Drive -> folder list -> file list; the folder list sets the current directory.
    connect(DriveComboBox1, &DriveSelector::DriveChosen, this, [this](const QString& folder) {
        if (!DirectoryListBox1->OpenFolder(folder)) {
            DriveComboBox1->NoteFolder(DirectoryListBox1->Folder());  // stay where we were
        }
    });
    connect(DirectoryListBox1, &FolderList::FolderOpened, this, [this](const QString& folder) {
        DriveComboBox1->NoteFolder(folder);
        FileListBox1->ShowFolder(folder);
    });
    DirectoryListBox1->OpenFolder(QDir::currentPath());
}

void TMF_Tad::SetTabOrder() {
    QWidget* previous = nullptr;
    auto chain = [&previous](QWidget* next) {
        if (previous != nullptr) {
            setTabOrder(previous, next);
        }
        previous = next;
    };
    for (QLineEdit* edit : Edits) {
        if (edit->isEnabled()) {
            chain(edit);
        }
    }
    for (QWidget* control :
         std::initializer_list<QWidget*>{BitBtn1, BitBtn2, DriveComboBox1, DirectoryListBox1, FileListBox1}) {
        chain(control);
    }
}

void TMF_Tad::BitBtn1Click() {
    tadmor::FieldTexts texts;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        texts[i] = Edits[i]->text().toStdString();
    }
    // The file name goes to the file system in its own encoding.
    texts[kFieldCount - 1] = QFile::encodeName(Edits[kFieldCount - 1]->text()).toStdString();

    // The request reports its own errors; this only keeps anything else from
    // crossing the event loop.
    try {
        tadmor::RunCalculationRequest(texts, LocaleDecimalSeparator(), state_, *this);
    } catch (const std::exception& error) {
        SetBusy(false);
        ShowError(error.what());
    } catch (...) {
        SetBusy(false);
        ShowError("Unknown error");
    }
}

void TMF_Tad::SetBusy(bool busy) {
    if (busy) {
        setCursor(Qt::WaitCursor);
        BitBtn1->setCursor(Qt::WaitCursor);
    } else {
        unsetCursor();
        BitBtn1->unsetCursor();
    }
}

void TMF_Tad::ShowMessage(const std::string& text) { ShowBox(QMessageBox::NoIcon, text); }

void TMF_Tad::ShowError(const std::string& text) { ShowBox(QMessageBox::Critical, text); }

void TMF_Tad::ShowCompletion() {
    Q_ASSERT(finishForm_ != nullptr);
    if (finishForm_ != nullptr) {
        finishForm_->exec();
    }
}

void TMF_Tad::RefreshFileList() { FileListBox1->Refresh(); }
