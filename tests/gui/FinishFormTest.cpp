// The completion dialog: its look, and that it opens modal, centred, with the
// focus on OK, and closes by Enter or its close box (not by Escape).
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <functional>

#include "app/gui/F_Form.h"
#include "app/gui/Frames.h"

#include <gtest/gtest.h>

namespace {

using tadmor::gui::BevelPanel;

TEST(FinishFormTest, ControlsStandWhereTheLayoutPutsThem) {
    TFinishForm form;
    EXPECT_EQ(form.windowTitle(), "FinishForm");
    EXPECT_EQ(form.size(), QSize(351, 230));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(form.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(form.isVisible());

    EXPECT_EQ(form.Panel1->geometry(), QRect(0, 0, 351, 230));
    EXPECT_EQ(form.Panel2->geometry(), QRect(16, 27, 319, 55));
    EXPECT_EQ(form.Label2->geometry(), QRect(130, 114, 88, 16));
    EXPECT_EQ(form.Label1->geometry(), QRect(134, 145, 69, 15));
    EXPECT_EQ(form.BitBtn1->geometry(), QRect(126, 176, 105, 32));
    for (QWidget* child : {static_cast<QWidget*>(form.Panel2), static_cast<QWidget*>(form.Label1),
                           static_cast<QWidget*>(form.Label2), static_cast<QWidget*>(form.BitBtn1)}) {
        EXPECT_EQ(child->parentWidget(), form.Panel1) << child->objectName().toStdString();
    }
}

TEST(FinishFormTest, TextsFitTheirControls) {
    TFinishForm form;
    EXPECT_EQ(form.Panel2->Caption(), "Calculation is successfully finished !");
    EXPECT_EQ(form.Panel2->CaptionColour(), QColor(0, 0, 255));
    EXPECT_EQ(form.Label1->text(), " 2008.8.3  ");
    EXPECT_EQ(form.Label1->font().pixelSize(), 15);
    EXPECT_EQ(form.Label2->font().pixelSize(), 16);
    EXPECT_EQ(form.BitBtn1->text(), "OK");
    EXPECT_EQ(form.BitBtn1->font().pixelSize(), 16);
    EXPECT_FALSE(form.BitBtn1->icon().isNull());

    // The credit is one line that shows whole in its label, and so is the
    // date without its trailing blanks.
    const QString credit = form.Label2->text();
    EXPECT_FALSE(credit.isEmpty());
    EXPECT_FALSE(credit.contains('\n'));
    EXPECT_LE(form.Label2->fontMetrics().horizontalAdvance(credit), 88);
    EXPECT_LE(form.Label1->fontMetrics().horizontalAdvance(" 2008.8.3"), 69);
}

// Shows the dialog modally and, once it is open, runs `whileOpen` on it.
void ExecWhile(TFinishForm& form, const std::function<void(TFinishForm&)>& whileOpen) {
    QTimer::singleShot(0, &form, [&] {
        EXPECT_EQ(QApplication::activeModalWidget(), &form);
        whileOpen(form);
        // Whatever happened, do not leave the test hanging.
        QTimer::singleShot(500, &form, [&form] { form.done(0); });
    });
    form.exec();
}

TEST(FinishFormTest, OpensCentredWithFocusOnOkAndEnterClosesIt) {
    TFinishForm form;
    bool closedByEnter = false;
    ExecWhile(form, [&](TFinishForm& open) {
        EXPECT_TRUE(QTest::qWaitForWindowActive(&open));
        const QPoint offCentre = open.frameGeometry().center() - open.screen()->availableGeometry().center();
        EXPECT_LE(offCentre.manhattanLength(), 1);
        EXPECT_EQ(QApplication::focusWidget(), open.BitBtn1);
        EXPECT_TRUE(open.BitBtn1->isDefault());
        QTest::keyClick(open.windowHandle(), Qt::Key_Return);
        closedByEnter = !open.isVisible();
    });
    EXPECT_TRUE(closedByEnter);
}

TEST(FinishFormTest, CloseBoxClosesItAndEscapeDoesNot) {
    TFinishForm form;
    bool openAfterEscape = false;
    bool closedByCloseBox = false;
    ExecWhile(form, [&](TFinishForm& open) {
        QTest::keyClick(open.windowHandle(), Qt::Key_Escape);
        openAfterEscape = open.isVisible();
        open.close();  // what the window system does for the close box
        closedByCloseBox = !open.isVisible();
    });
    EXPECT_TRUE(openAfterEscape);
    EXPECT_TRUE(closedByCloseBox);
}

}  // namespace
