// The page analysis dialog: its fields, remembered choices, keyboard, and
// the choices "Go !" gives.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "frame_fixture.h"
#include "ui/common.h"
#include "ui/scan_dialog.h"

namespace orvi::test {
namespace {

using ui::ScanDialog;

class ScanDialogTest : public FrameFixture {
 protected:
  void SetUp() override { MakeFrame("StartWindow=0\r\n"); }
  // Opens the dialog, lets fill() work on it, and returns whether it ended
  // with "Go !"; what it chose goes to chosen.
  bool RunDialog(const std::function<void(ScanDialog*)>& fill) {
    WhenModal([fill](QWidget* modal) {
      auto* dialog = dynamic_cast<ScanDialog*>(modal);
      ASSERT_NE(dialog, nullptr);
      QApplication::setActiveWindow(dialog);
      fill(dialog);
    });
    return ScanDialog::Run(*env, &frame->Results(), chosen);
  }
  PageAnalysisChoices chosen;
};

TEST_F(ScanDialogTest, FirstOpeningKeyboardOrderAndReturnMeansGo) {
  bool first = RunDialog([](ScanDialog* d) {
    EXPECT_EQ(d->windowTitle(), QStringLiteral("Analyse de page web"));
    EXPECT_EQ(d->focusWidget(), d->ControlById(ScanDialog::kAddress));
    EXPECT_TRUE(d->Control<QCheckBox>(102)->isChecked());
    EXPECT_TRUE(d->Control<QCheckBox>(103)->isChecked());
    EXPECT_TRUE(d->Control<QCheckBox>(104)->isChecked());
    EXPECT_FALSE(d->Control<QCheckBox>(300)->isChecked());
    EXPECT_EQ(d->Control<QLineEdit>(105)->text(), QString());
    // Tab walks the fields in the order of the table.
    std::vector<QString> order;
    for (int i = 0; i < 8; ++i) {
      order.push_back(d->focusWidget()->objectName());
      QTest::keyClick(d->focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(order, (std::vector<QString>{"id101", "id102", "id103", "id105", "id104", "id300", "id1", "id2"}));
    d->ControlById(101)->setFocus();
    QTest::keyClicks(d->focusWidget(), QStringLiteral("http://127.0.0.1:9/p"));
    d->Control<QLineEdit>(101)->insert(QString::fromUtf8("\xC3\xA9.html"));
    QTest::keyClick(d->focusWidget(), Qt::Key_Return);
  });
  EXPECT_TRUE(first);
  EXPECT_EQ(chosen.address, "http://127.0.0.1:9/p\xE9.html");
  EXPECT_TRUE(chosen.archives && chosen.executables && chosen.smartArchives);
  EXPECT_FALSE(chosen.wholeSite);
  EXPECT_EQ(chosen.extensions, "");
}

TEST_F(ScanDialogTest, ChoicesAreRememberedWhole) {
  // The splitting of the text is the session's (session_test): here, that the
  // typed text reaches it, and comes back whole even past what it keeps.
  for (QString typed : {QStringLiteral(" mp3 , ogg "), QStringLiteral("a,b,c,d,e,f,g,h,i,j,k,l,m,n,o,p,q,r")}) {
    ASSERT_TRUE(RunDialog([&](ScanDialog* d) {
      d->Control<QLineEdit>(101)->setText(QStringLiteral("http://x/"));
      d->Control<QLineEdit>(105)->setText(typed);
      d->Control<QCheckBox>(102)->setChecked(false);
      d->Control<QCheckBox>(300)->setChecked(true);
      d->Control<QPushButton>(1)->click();
    }));
    EXPECT_EQ(ui::ToQt(chosen.extensions), typed);
    EXPECT_FALSE(chosen.archives);
    EXPECT_TRUE(chosen.wholeSite);
    // The next opening shows the whole text and the boxes, and an empty address.
    RunDialog([&](ScanDialog* d) {
      EXPECT_EQ(d->Control<QLineEdit>(105)->text(), typed);
      EXPECT_EQ(d->Control<QLineEdit>(101)->text(), QString());
      EXPECT_FALSE(d->Control<QCheckBox>(102)->isChecked());
      EXPECT_TRUE(d->Control<QCheckBox>(300)->isChecked());
      d->Control<QCheckBox>(300)->setChecked(false);
      d->Control<QPushButton>(2)->click();
    });
    EXPECT_TRUE(env->scan.wholeSite);  // "Annuler" keeps the choices
  }
}

TEST_F(ScanDialogTest, CancelChangesNothing) {
  EXPECT_FALSE(RunDialog([](ScanDialog* d) {
    d->Control<QLineEdit>(101)->setText(QStringLiteral("http://other/"));
    d->Control<QLineEdit>(105)->setText(QStringLiteral("mp3"));
    QTest::keyClick(d, Qt::Key_Escape);
  }));
  EXPECT_EQ(chosen.address, "");
  EXPECT_EQ(env->scan.extensions, "");
}

}  // namespace
}  // namespace orvi::test
