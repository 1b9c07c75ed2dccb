// Editing mode of the command page, the save prompt and the exit check.

#include "library/save_form.h"
#include "support/form_fixture.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace trelvo;
using namespace trelvo::test;

Q_DECLARE_METATYPE(trelvo::SaveAnswer)

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

    void savePromptAnswers_data() {
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<bool>("saveWorks");
        QTest::addColumn<SaveAnswer>("answer");
        QTest::addColumn<int>("saves");
        QTest::newRow("Да") << QStringList{"BTYes"} << true << SaveAnswer::Yes << 1;
        QTest::newRow("Да fails, prompt stays, Нет") << QStringList{"BTYes", "BTNo"} << false << SaveAnswer::No << 1;
        QTest::newRow("Нет") << QStringList{"BTNo"} << true << SaveAnswer::No << 0;
        QTest::newRow("Отмена") << QStringList{"BTCancel"} << true << SaveAnswer::Cancel << 0;
        QTest::newRow("closed otherwise") << QStringList{"Escape"} << true << SaveAnswer::No << 0;
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
