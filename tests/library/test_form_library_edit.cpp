// Editing mode of the command page, the save prompt and the exit check.

#include "app/appearance.h"
#include "library/edit_help_form.h"
#include "library/save_form.h"
#include "library_file.h"
#include "support/file_size_limit.h"
#include "support/form_fixture.h"

using namespace trelvo;
using namespace trelvo::test;

Q_DECLARE_METATYPE(trelvo::SaveAnswer)

namespace {

// Starts over a library whose command 3 of list 1 is named "Ping".
void BuildWithPing(FormFixture& fx) {
    WriteLibrary(fx.path("CmdConfig"), [](CmdStore& store) { store.SetCmdName(1, 3, "Ping"); });
    fx.build();
}

} // namespace

class TestFormLibraryEdit : public QObject {
    Q_OBJECT
private slots:
    void editingModeShowsAndHides() {
        FormFixture fx;
        TForm1& f = *fx.form;
        f.show();
        const QStringList editing = {"ListNameEDT", "DelList", "ListInc", "ListDec", "SaveF", "StaticText1"};
        const QStringList normal = {"CBLists", "STLog", "ButtonReadFile"};
        auto visible = [&f](const QString& name) { return f.findChild<QWidget*>(name)->isVisible(); };
        for (int round = 0; round < 2; ++round) {
            f.EditAllCmd->click();
            QVERIFY(f.EditMode());
            QCOMPARE(f.EditAllCmd->text(), QString::fromUtf8("Назад"));
            for (const QString& n : editing)
                QVERIFY2(visible(n), qPrintable(n));
            for (const QString& n : normal)
                QVERIFY2(!visible(n), qPrintable(n));
            QVERIFY(!f.OldCommandsBT->isVisible());
            QVERIFY(f.CmdEdits[1]->isVisible() && f.CmdEdits[48]->isVisible() && !f.CmdButtons[17]->isVisible());

            f.EditAllCmd->click();
            QVERIFY(!f.EditMode());
            QCOMPARE(f.EditAllCmd->text(), QString::fromUtf8("Редактор"));
            for (const QString& n : editing)
                QVERIFY2(!visible(n), qPrintable(n));
            for (const QString& n : normal)
                QVERIFY2(visible(n), qPrintable(n));
            QVERIFY(!f.OldCommandsBT->isVisible() && !f.STListName->isVisible());
            QVERIFY(!f.CmdEdits[1]->isVisible() && f.CmdButtons[1]->isVisible() && f.CmdButtons[48]->isVisible());
            f.STListName->show(); // leaving editing mode brings the combo box back whatever was shown before
        }
    }

    void editingThatEndsWhereItStartedChangesNothing_data() {
        QTest::addColumn<bool>("type");
        QTest::newRow("enter and leave") << false;
        QTest::newRow("two characters typed and deleted") << true;
    }
    void editingThatEndsWhereItStartedChangesNothing() {
        QFETCH(bool, type);
        FormFixture fx(false);
        BuildWithPing(fx);
        TForm1& f = *fx.form;
        f.EditAllCmd->click();
        if (type) {
            QLineEdit* e = f.CmdEdits[3];
            e->end(false);
            QTest::keyClicks(e, QStringLiteral("xy"));
            QCOMPARE(f.st.shell.EditCmdIndex, 3);
            QVERIFY(f.CmdStoreChanged());
            QTest::keyClick(e, Qt::Key_Backspace);
            QTest::keyClick(e, Qt::Key_Backspace);
        }
        f.EditAllCmd->click();
        QVERIFY(!f.CmdStoreChanged());
        QCOMPARE(f.CmdButtons[3]->text(), QStringLiteral("Ping"));
    }

    void exitCheck_data() {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QList<SaveAnswer>>("answers");
        QTest::addColumn<bool>("saveFails");
        QTest::addColumn<int>("asked");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<bool>("saved");
        using A = QList<SaveAnswer>;
        QTest::newRow("unchanged") << "" << A{} << false << 0 << true << false;
        QTest::newRow("Да") << "name" << A{SaveAnswer::Yes} << false << 1 << true << true;
        QTest::newRow("Нет") << "name" << A{SaveAnswer::No} << false << 1 << true << false;
        QTest::newRow("Отмена") << "name" << A{SaveAnswer::Cancel} << false << 1 << false << false;
        QTest::newRow("a list name typed in editing mode is offered")
            << "list name" << A{SaveAnswer::Yes} << false << 1 << true << true;
        QTest::newRow("a failed save asks again")
            << "name" << A{SaveAnswer::Yes, SaveAnswer::Cancel} << true << 2 << false << false;
    }
    void exitCheck() {
        QFETCH(QString, edit);
        QFETCH(QList<SaveAnswer>, answers);
        QFETCH(bool, saveFails);
        QFETCH(int, asked);
        QFETCH(bool, closes);
        QFETCH(bool, saved);
        FormFixture fx(false);
        BuildWithPing(fx);
        TForm1& f = *fx.form;
        f.show();
        const QByteArray before = ReadFile(fx.path("CmdConfig"));
        f.EditAllCmd->click();
        if (edit == "name") QTest::keyClicks(f.CmdEdits[1], QStringLiteral("Echo"));
        if (edit == "list name") QTest::keyClicks(f.ListNameEDT, QStringLiteral(" bench"));
        fx.dialogs.saveAnswers.assign(answers.begin(), answers.end());
        {
            std::optional<FileSizeLimit> full;
            if (saveFails) full.emplace(1000);
            QCOMPARE(f.close(), closes);
        }
        QCOMPARE(fx.dialogs.saveAsked, asked);
        QCOMPARE(f.isVisible(), !closes);
        const QByteArray file = ReadFile(fx.path("CmdConfig"));
        QCOMPARE(file.size(), before.size());
        QCOMPARE(file == before, !saved);
        if (saved && edit == "name") QCOMPARE(FirstList(file).cmdName(1), Bytes("Echo"));
        if (saved && edit == "list name") QCOMPARE(FirstList(file).listName(), Bytes("List 1 bench"));
        if (saveFails) QCOMPARE(fx.dialogs.messages.size(), std::size_t{1});
    }

    // The file cannot be read at the close: the reason is said and the save prompt offered, so the window can
    // always be closed.
    void unreadableLibraryOffersTheSavePrompt_data() {
        QTest::addColumn<QList<SaveAnswer>>("answers");
        QTest::addColumn<bool>("saveFails");
        QTest::addColumn<bool>("closes");
        using A = QList<SaveAnswer>;
        QTest::newRow("Да saves") << A{SaveAnswer::Yes} << false << true;
        QTest::newRow("Нет closes without saving") << A{SaveAnswer::No} << false << true;
        QTest::newRow("Отмена stays") << A{SaveAnswer::Cancel} << false << false;
        QTest::newRow("Да that fails asks again") << A{SaveAnswer::Yes, SaveAnswer::No} << true << true;
    }
    void unreadableLibraryOffersTheSavePrompt() {
        QFETCH(QList<SaveAnswer>, answers);
        QFETCH(bool, saveFails);
        QFETCH(bool, closes);
        FormFixture fx(false);
        BuildWithPing(fx);
        TForm1& f = *fx.form;
        f.show();
        QVERIFY(QFile::remove(fx.path("CmdConfig")));
        fx.dialogs.saveAnswers.assign(answers.begin(), answers.end());
        bool closed = false;
        {
            std::optional<FileSizeLimit> full;
            if (saveFails) full.emplace(1000);
            fx.dialogs.closeAnywayAnswers = {true}; // the history cannot be written under the limit either
            closed = f.close();
        }
        QCOMPARE(closed, closes);
        QCOMPARE(fx.dialogs.saveAsked, int(answers.size()));
        QVERIFY(!fx.dialogs.messages.empty());
        QVERIFY(fx.dialogs.messages.front().starts_with("Не удалось прочитать файл библиотеки команд CmdConfig"));
        const bool saved = answers == QList<SaveAnswer>{SaveAnswer::Yes};
        QCOMPARE(QFile::exists(fx.path("CmdConfig")), saved);
        if (saved) QCOMPARE(FirstList(ReadFile(fx.path("CmdConfig"))).cmdName(3), Bytes("Ping"));
    }

    // A list name typed in editing mode is not written over when the view is switched.
    void switchingTheViewKeepsATypedListName() {
        FormFixture fx;
        TForm1& f = *fx.form;
        f.EditAllCmd->click();
        f.ListNameEDT->selectAll();
        QTest::keyClicks(f.ListNameEDT, QStringLiteral("Bench"));
        f.RbData->click();
        f.RBName->click();
        QCOMPARE(f.ListNameEDT->text(), QStringLiteral("Bench"));
        QCOMPARE(f.ListNameOf(1), std::string("Bench"));
    }

    // A user names a command, gives it a command line and help, saves at exit and finds it all at the next start.
    void wholeRoadSurvivesARestart() {
        FormFixture fx;
        TForm1& f = *fx.form;
        QVERIFY(ShowActive(f));
        TFormEditHelpCmd editor(f); // no parent: it outlives the first window
        f.EditAllCmd->click();
        QTest::keyClicks(f.CmdEdits[2], QStringLiteral("Ping"));
        f.RbData->click();
        QTest::keyClicks(f.CmdEdits[2], QStringLiteral("AT$0D"));
        fx.dialogs.helpEditor = [&] {
            QCOMPARE(Background(f.CmdEdits[2]), colors::Lime);
            editor.show();
            QCOMPARE(editor.CmdName->text(), QStringLiteral("Ping"));
            QCOMPARE(editor.CmdData->text(), QStringLiteral("AT$0D"));
            editor.CmdName->end(false);
            QTest::keyClicks(editor.CmdName, QStringLiteral("!"));
            for (int i = 1; i <= 12; ++i)
                QTest::keyClicks(editor.Edits[i], QStringLiteral("line %1").arg(i));
            editor.close();
        };
        MovePointer(f.CmdEdits[2]);
        QTest::mouseDClick(f.CmdEdits[2], Qt::LeftButton);
        QCOMPARE(fx.dialogs.helpEditorShown, 1);
        QCOMPARE(f.CmdEdits[2]->text(), QStringLiteral("AT$0D"));
        // the double click selected no word there, which the next key would replace
        QVERIFY(!f.CmdEdits[2]->hasSelectedText());
        QCOMPARE(f.CmdEdits[2]->cursorPosition(), 5);
        QCOMPARE(Background(f.CmdEdits[2]), WindowColor());
        f.ListNameEDT->selectAll();
        QTest::keyClicks(f.ListNameEDT, QStringLiteral("Bench"));
        f.EditAllCmd->click();
        fx.dialogs.saveAnswers = {SaveAnswer::Yes};
        QVERIFY(f.close());

        fx.form.reset();
        TForm1& g = fx.build();
        QCOMPARE(g.CmdButtons[2]->text(), QStringLiteral("Ping!"));
        QCOMPARE(g.CmdButtons[2]->toolTip(), QStringLiteral("AT$0D"));
        QCOMPARE(g.CBLists->currentText(), QStringLiteral("Bench"));
        MovePointer(g.CmdButtons[2]);
        for (int i = 1; i <= 12; ++i)
            QCOMPARE(g.HelpTexts[i]->text(), QStringLiteral("line %1").arg(i));
    }

    void savePromptAnswers_data() {
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<bool>("saveWorks");
        QTest::addColumn<SaveAnswer>("answer");
        QTest::addColumn<int>("saves");
        QTest::newRow("Да") << QStringList{"BTYes"} << true << SaveAnswer::Yes << 1;
        QTest::newRow("Да fails, prompt stays, Нет") << QStringList{"BTYes", "BTNo"} << false << SaveAnswer::No << 1;
        QTest::newRow("Нет") << QStringList{"BTNo"} << true << SaveAnswer::No << 0;
        QTest::newRow("Отмена") << QStringList{"BTCancel"} << true << SaveAnswer::Cancel << 0;
        QTest::newRow("Esc answers Отмена") << QStringList{"Escape"} << true << SaveAnswer::Cancel << 0;
        QTest::newRow("Enter answers Да") << QStringList{"Enter"} << true << SaveAnswer::Yes << 1;
    }
    void savePromptAnswers() {
        QFETCH(QStringList, clicks);
        QFETCH(bool, saveWorks);
        QFETCH(SaveAnswer, answer);
        QFETCH(int, saves);
        TSave prompt;
        int saved = 0;
        std::function<void()> next = [&] {
            if (clicks.isEmpty()) return;
            QCOMPARE(prompt.focusWidget(), static_cast<QWidget*>(prompt.BTYes));
            QVERIFY(prompt.isVisible());
            const QString c = clicks.takeFirst();
            if (c == "Escape" || c == "Enter")
                QTest::keyClick(prompt.BTYes, c == "Escape" ? Qt::Key_Escape : Qt::Key_Return);
            else
                prompt.findChild<QPushButton*>(c)->click();
            QTimer::singleShot(0, &prompt, next);
        };
        QTimer::singleShot(0, &prompt, next);
        QCOMPARE(prompt.Ask([&] {
            ++saved;
            return saveWorks;
        }),
                 answer);
        QVERIFY(clicks.isEmpty());
        QCOMPARE(saved, saves);
    }
};

QTEST_MAIN(TestFormLibraryEdit)
#include "test_form_library_edit.moc"
