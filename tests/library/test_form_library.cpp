// The page of command buttons on the main window: what it shows, the choice and paging of lists, the buttons.

#include "support/form_fixture.h"

#include <QHelpEvent>
#include <QTextDocument>
#include <QToolTip>

using namespace trelvo;
using namespace trelvo::test;

namespace {

bool Bold(const QWidget* w) {
    return w->font().bold();
}

} // namespace

class TestFormLibrary : public QObject {
    Q_OBJECT
private slots:
    void pageShowsNamesOrCommandLines() {
        FormFixture fx;
        TForm1& f = *fx.form;
        const std::string longName(51, 'N'), longLine(251, 'L');
        f.SetCmdName(1, 1, longName);
        f.SetCmdLine(1, 1, longLine);
        f.SetCmdName(1, 48, "R&D");
        f.SetCmdLine(1, 48, "AT\xC0"); // CP1251 for U+0410
        f.ReadListCmd(1);
        // name view: bold, the name shown in full, the command line as the hint
        QCOMPARE(f.CmdButtons[1]->text(), QString::fromStdString(longName));
        QCOMPARE(f.CmdEdits[1]->text(), QString::fromStdString(longName));
        QCOMPARE(f.CmdButtons[1]->toolTip(), QString::fromStdString(longLine));
        QCOMPARE(f.CmdButtons[48]->text(), QStringLiteral("R&&D"));
        QCOMPARE(f.CmdEdits[48]->toolTip(), QStringLiteral("AT\u0410"));
        QVERIFY(Bold(f.CmdButtons[1]) && Bold(f.CmdEdits[48]));
        // command-line view: regular type, the line in full, the name as the hint
        f.RbData->click();
        QCOMPARE(f.CmdEdits[1]->text(), QString::fromStdString(longLine));
        QCOMPARE(f.CmdButtons[48]->text(), QStringLiteral("AT\u0410"));
        QCOMPARE(f.CmdButtons[48]->toolTip(), QStringLiteral("R&D"));
        QVERIFY(!Bold(f.CmdButtons[1]) && !Bold(f.CmdEdits[48]));
        QCOMPARE(f.CmdEdits[2]->maxLength(), 250);
        f.RBName->click();
        QCOMPARE(f.CmdEdits[2]->maxLength(), 50);
        // the fills cut nothing: taking the page over stores what was shown
        f.WriteListCmd(1);
        QCOMPARE(f.GetCmdName(1, 1), longName);
        QCOMPARE(f.GetCmdLine(1, 1), longLine);
        QCOMPARE(fx.dialogs.messages.size(), std::size_t{0});
        // a hint shows the text it holds, never markup
        f.SetCmdLine(1, 2, "<b>x</b>  y");
        f.ReadListCmd(1);
        QHelpEvent tip(QEvent::ToolTip, QPoint(5, 5), f.CmdButtons[2]->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(f.CmdButtons[2], &tip);
        QTextDocument shown;
        shown.setHtml(QToolTip::text());
        QCOMPARE(shown.toPlainText(), QStringLiteral("<b>x</b>  y"));
    }

    void listsAreChosenPagedAndNamed() {
        FormFixture fx;
        TForm1& f = *fx.form;
        f.SetListName(12, "");
        const struct {
            const char* action;
            std::function<void(TForm1&)> act;
            int list;
            bool dec, inc;
        } rows[] = {
            {"start", [](TForm1&) {}, 1, false, true},
            {"<<<<< at list 1", [](TForm1& f) { f.ListDecClick(); }, 1, false, true},
            {"choose the last", [](TForm1& f) { f.CBListsClick(99); }, 100, true, false},
            {">>>>> at list 100", [](TForm1& f) { f.ListIncClick(); }, 100, true, false},
            {"choose list 99", [](TForm1& f) { f.CBListsClick(98); }, 99, true, true},
            {">>>>> to list 100", [](TForm1& f) { f.ListIncClick(); }, 100, true, false},
            {"choose list 11", [](TForm1& f) { f.CBListsClick(10); }, 11, true, true},
            {">>>>> to a list without a name", [](TForm1& f) { f.ListIncClick(); }, 12, true, true},
            {"choose the first", [](TForm1& f) { f.CBListsClick(0); }, 1, false, true},
        };
        for (const auto& r : rows) {
            r.act(f);
            QVERIFY2(f.GetCurrentList() == r.list, r.action);
            QVERIFY2(f.ListDec->isEnabled() == r.dec && f.ListInc->isEnabled() == r.inc, r.action);
            QVERIFY2(f.CBLists->currentIndex() == r.list - 1 && f.CBLists->count() == 100, r.action);
        }
        // a list without a name is shown as [N], and that name is stored
        QCOMPARE(f.ListNameOf(12), std::string("[12]"));
        QCOMPARE(f.CBLists->itemText(11), QStringLiteral("[12]"));
        QVERIFY(f.CmdStoreChanged());
        // the list selector
        f.CBListsDblClick();
        QVERIFY(!f.CBLists->isVisibleTo(&f) && f.STListName->isVisibleTo(&f));
        QCOMPARE(f.STListName->text(), QStringLiteral("List 1"));
        f.st.send.FileMode = true;
        f.STListNameDblClick();
        QVERIFY(!f.CBLists->isVisibleTo(&f));
        f.st.send.FileMode = false;
        f.STListNameDblClick();
        QVERIFY(f.CBLists->isVisibleTo(&f) && !f.STListName->isVisibleTo(&f));
        // a real double click: the first press opens the drop-down, which takes the second press over the box
        ShowActive(f);
        QTest::mousePress(f.CBLists, Qt::LeftButton);
        QWidget* popup = f.CBLists->view()->window();
        QTRY_VERIFY(popup->isVisible());
        QWidget* list = f.CBLists->view()->viewport();
        QTest::mousePress(list, Qt::LeftButton, {}, list->mapFromGlobal(f.CBLists->mapToGlobal(QPoint(20, 10))));
        QVERIFY(!popup->isVisible() && f.STListName->isVisibleTo(&f));
        QCOMPARE(f.GetCurrentList(), 1);
    }

    // A pointer that passes over the list selector while the user scrolls leaves the list alone.
    void wheelChangesTheListOnlyWithTheFocus() {
        FormFixture fx;
        TForm1& f = *fx.form;
        QVERIFY(ShowActive(f));
        for (const bool focus : {false, true}) {
            if (focus) f.CBLists->setFocus();
            QWheelEvent down(QPointF(20, 10), f.CBLists->mapToGlobal(QPointF(20, 10)), QPoint(), QPoint(0, -120),
                             Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(f.CBLists, &down);
            QCOMPARE(f.CBLists->hasFocus(), focus);
            QCOMPARE(f.GetCurrentList(), focus ? 2 : 1);
            QCOMPARE(f.CBLists->currentIndex(), f.GetCurrentList() - 1);
        }
    }

    void clearingAListEmptiesItWithoutAQuestion() {
        FormFixture fx;
        TForm1& f = *fx.form;
        f.CBListsClick(4);
        f.SetCmdLine(5, 3, "AT");
        f.SetCmdHelpLine(5, 48, 12, "help");
        f.DelList->setVisible(true);
        f.DelList->click();
        QCOMPARE(f.GetCmdLine(5, 3), std::string());
        QCOMPARE(f.CmdHelpLine(5, 48, 12), std::string());
        QCOMPARE(f.ListNameOf(5), std::string("[5]"));
        QCOMPARE(f.CmdButtons[3]->text(), QString());
        QCOMPARE(fx.dialogs.messages.size(), std::size_t{0});
    }

    void commandButtonSendsOrFillsTheCommandLine() {
        FormFixture fx;
        TForm1& f = fx.connect();
        f.SetCmdLine(1, 9, "ATI");
        f.SetCmdName(1, 9, "info");
        f.ReadListCmd(1);
        QVERIFY(ShowActive(f));
        f.CmdButtons[9]->click();
        QCOMPARE(f.MainStrCmd->text(), QStringLiteral("ATI"));
        QCOMPARE(fx.serial.written, std::string());
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f.MainStrCmd));
        f.MainStrCmd->clear();
        f.RBSel->click();
        f.CmdButtons[9]->click();
        QCOMPARE(fx.serial.written.substr(0, 3), std::string("ATI"));
        QCOMPARE(f.MainStrCmd->text(), QString());
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f.ButtonSend));
    }

    void saveWritesTheFile() {
        FormFixture fx;
        TForm1& f = *fx.form;
        f.SetCmdName(1, 1, "x");
        QVERIFY(f.CmdStoreChanged());
        f.SaveFClick();
        QVERIFY(f.SaveF->isEnabled());
        QVERIFY(!f.CmdStoreChanged());
    }
};

QTEST_MAIN(TestFormLibrary)
#include "test_form_library.moc"
