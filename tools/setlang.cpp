#include "tools/setlang.h"

#include "core/language.h"
#include "core/names.h"
#include "core/params.h"
#include "core/system_init.h"
#include "forms/translate.h"
#include "forms/widgets.h"
#include "platform/docking.h"
#include "platform/form_activation.h"
#include "tools/language_files.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace {

}  // namespace

TF_Language::TF_Language(QWidget* parent) : QDialog(parent)
{
    // Opened again, it opens where the operator last saw it.
    platform::reopenInPlace(this);
    setObjectName("F_Language");
    setWindowTitle("Language");
    setFixedSize(260, 116);

    L_select = new QLabel("Select", this);
    L_select->setObjectName("L_select");
    L_select->setGeometry(12, 10, 236, 20);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName("ComboBox1");
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->setEditText("ComboBox1");
    ComboBox1->setGeometry(12, 34, 236, 26);
    B_OK = new QPushButton("OK", this);
    B_OK->setObjectName("B_OK");
    B_OK->setGeometry(60, 76, 88, 28);
    B_OK->setDefault(true);
    B_Cancel = new QPushButton("Cancel", this);
    B_Cancel->setObjectName("B_Cancel");
    B_Cancel->setGeometry(160, 76, 88, 28);
    B_Cancel->setAutoDefault(false);

    connect(B_OK, &QPushButton::clicked, this, [this] { B_OKClick(); });
    connect(B_Cancel, &QPushButton::clicked, this, [this] { B_CancelClick(); });
    platform::onFormActivate(this, [this] { FormActivate(); });
}

int TF_Language::ShowModal() { return exec() == mrOk ? mrOk : mrCancel; }

void TF_Language::FormActivate()
{
    LANGUAGE::SETALL(this);
    ComboBox1->clear();
    ComboBox1->clearEditText();
    LANGLIST.clear();
    const std::string current = GET_PARAM(param::Language);
    int selected = -1;
    for (const std::string& code : language_files::codesIn(GET_EXEPATH())) {
        std::string display = code;
        LANGUAGE::SETSTRING("Main_View", code, display);
        LANGLIST.push_back(code);
        ComboBox1->addItem(forms::qstr(display));
        // Letter case counts here.
        if (code == current)
            selected = ComboBox1->count() - 1;
    }
    // The box selects its first item by itself; only the current language
    // is selected here.
    ComboBox1->setCurrentIndex(selected);
    if (selected < 0)
        ComboBox1->clearEditText();
}

void TF_Language::B_OKClick()
{
    // Only a listed language whose name the box still shows is applied; a
    // text typed over it names none.
    const int index = ComboBox1->currentIndex();
    if (index < 0 || static_cast<std::size_t>(index) >= LANGLIST.size() ||
        ComboBox1->currentText() != ComboBox1->itemText(index)) {
        done(mrCancel);
        return;
    }
    const std::string code = LANGLIST[static_cast<std::size_t>(index)];
    LANGUAGE::INIT("orla_setup.lng." + code);
    SET_PARAM(param::Language, code);
    done(mrOk);
}

void TF_Language::B_CancelClick() { done(mrCancel); }
