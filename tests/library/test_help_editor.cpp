// The help editor of one command: keys, tab order, the live help area and the resize rule.

#include "library/edit_help_form.h"
#include "support/form_fixture.h"

using namespace trelvo;
using namespace trelvo::test;

class TestHelpEditor : public QObject {
    Q_OBJECT

    struct Open {
        FormFixture fx;
        TFormEditHelpCmd editor{*fx.form, fx.form.get()};
        Open() {
            fx.form->show();
            editor.show();
            editor.activateWindow();
        }
        QLineEdit* field(const QString& name) { return editor.findChild<QLineEdit*>(name); }
    };

private slots:
    void opensWithTheHelpAreaAndFocusInTheName() {
        Open o;
        QVERIFY(QTest::qWaitForWindowActive(&o.editor));
        QCOMPARE(o.editor.focusWidget(), static_cast<QWidget*>(o.editor.CmdName));
        QCOMPARE(o.editor.Edits[11]->text(), QString::fromUtf8("   редактирования. "));
    }

    void keys_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("textAfter");
        const auto row = [](const char* name, const char* from, const char* text, int key, const char* to,
                            const char* textAfter) { QTest::newRow(name) << from << text << key << to << textAfter; };
        const int enter = Qt::Key_Return, back = Qt::Key_Backspace, tab = Qt::Key_Tab;
        row("Enter in CmdName", "CmdName", "ab", enter, "CmdData", "ab");
        row("Enter in CmdData", "CmdData", "", enter, "Edit1", "");
        row("keypad Enter in Edit5", "Edit5", "x", Qt::Key_Enter, "Edit6", "x");
        row("Backspace in empty CmdName", "CmdName", "", back, "CmdName", "");
        row("Backspace in empty CmdData", "CmdData", "", back, "CmdName", "");
        row("Backspace in empty Edit1", "Edit1", "", back, "CmdData", "");
        row("Backspace in empty Edit12", "Edit12", "", back, "Edit11", "");
        row("Backspace deletes in Edit7", "Edit7", "ab", back, "Edit7", "a");
        row("Tab after Edit12", "Edit12", "", tab, "CmdName", "");
        row("Tab after CmdName", "CmdName", "", tab, "CmdData", "");
        row("Tab after CmdData", "CmdData", "", tab, "Edit1", "");
    }
    void keys() {
        QFETCH(QString, from);
        QFETCH(QString, text);
        QFETCH(int, key);
        QFETCH(QString, to);
        QFETCH(QString, textAfter);
        Open o;
        QVERIFY(QTest::qWaitForWindowActive(&o.editor));
        QLineEdit* f = o.field(from);
        f->setText(text);
        f->setFocus();
        QTest::keyClick(f, Qt::Key(key));
        QCOMPARE(o.editor.focusWidget()->objectName(), to);
        QCOMPARE(f->text(), textAfter);
        QVERIFY(o.editor.isVisible());
    }

    void enterInTheLastLineCloses() {
        Open o;
        o.editor.Edits[12]->setFocus();
        QTest::keyClick(o.editor.Edits[12], Qt::Key_Return);
        QVERIFY(!o.editor.isVisible());
    }

    void typingAHelpLineShowsOnTheMainWindowAtOnce() {
        Open o;
        o.editor.Edits[3]->clear();
        QTest::keyClicks(o.editor.Edits[3], QStringLiteral("abc"));
        QCOMPARE(o.fx.form->HelpTexts[3]->text(), QStringLiteral("abc"));
    }

    void typingLimitKeepsALongerLineInFull() {
        Open o;
        const QString longLine(151, u'h');
        o.fx.form->HelpTexts[2]->setText(longLine);
        o.editor.FormActivate();
        QCOMPARE(o.editor.Edits[2]->text(), longLine);
        o.editor.Edits[4]->clear();
        QTest::keyClicks(o.editor.Edits[4], QString(60, u'x'));
        QCOMPARE(o.editor.Edits[4]->text().size(), 50);
    }

    void fieldsFollowTheWidth() {
        Open o;
        const int before = o.editor.width();
        o.editor.resize(before + 100, o.editor.height());
        for (QLineEdit* e : {o.editor.CmdName, o.editor.CmdData, o.editor.Edits[1], o.editor.Edits[12]})
            QCOMPARE(e->width(), 461);
        o.editor.resize(before - 60, o.editor.height());
        QCOMPARE(o.editor.Edits[7]->width(), 301);
        QCOMPARE(o.editor.Edits[7]->height(), 22);
    }
};

QTEST_MAIN(TestHelpEditor)
#include "test_help_editor.moc"
