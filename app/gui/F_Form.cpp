#include "app/gui/F_Form.h"

#include <QLabel>
#include <QPushButton>

#include "app/gui/Frames.h"
#include "app/gui/Look.h"
#include "app/gui/Pictures.h"

using namespace tadmor::gui;

namespace {

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int pixelSize, const QRect& geometry) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setFont(GothicFont(pixelSize));
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

}  // namespace

TFinishForm::TFinishForm() : FixedDialog(Qt::Dialog, QSize(351, 230), QStringLiteral("FinishForm")) {
    setObjectName(QStringLiteral("FinishForm"));

    Panel1 = new BevelPanel(this, Bevel::Raised, Bevel::Lowered, 1);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(0, 0, 351, 230);

    Panel2 = new BevelPanel(Panel1, Bevel::Raised, Bevel::None, 1);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setGeometry(16, 27, 319, 55);
    Panel2->SetCaption(QStringLiteral("Calculation is successfully finished !"), Qt::AlignCenter, GothicFont(19),
                       kCaptionBlue);

    Label2 = MakeLabel(Panel1, "Label2", QStringLiteral("Melt model"), 16, QRect(130, 114, 88, 16));
    Label1 = MakeLabel(Panel1, "Label1", QStringLiteral(" 2008.8.3  "), 15, QRect(134, 145, 69, 15));

    BitBtn1 = new QPushButton(QIcon(QPixmap::fromImage(CheckMarkGlyph())), QStringLiteral("OK"), Panel1);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setIconSize(QSize(kGlyphSize, kGlyphSize));
    BitBtn1->setFont(GothicFont(16));
    BitBtn1->setGeometry(126, 176, 105, 32);
    BitBtn1->setDefault(true);
    BitBtn1->setFocus();
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
}
