#include "tools/params_edit.h"

#include "core/system_init.h"
#include "core/text.h"
#include "forms/translate.h"
#include "forms/widgets.h"
#include "platform/docking.h"
#include "platform/form_activation.h"
#include "tools/param_rows.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTabBar>

#include <algorithm>
#include <map>

namespace {

constexpr int kWidth = 360;
constexpr int kBoxHeight = 200;
constexpr int kRowHeight = 20;
constexpr int kUnitWidth = 80;

QPushButton* button(QWidget* parent, const char* name, QRect where)
{
    QPushButton* b = forms::button(parent, name, QString::fromLatin1(name), where);
    b->setAutoDefault(false);
    return b;
}

}  // namespace

Tparam_view::Tparam_view(QWidget* parent) : QDialog(parent)
{
    // Opened again, it opens where the operator last saw it.
    platform::reopenInPlace(this);
    setObjectName("param_view");
    setWindowTitle("param_view");

    TabControl1 = new QTabBar(this);
    TabControl1->setObjectName("TabControl1");
    TabControl1->setExpanding(false);
    const int tabH = TabControl1->sizeHint().height() > 0 ? TabControl1->sizeHint().height() : 24;
    TabControl1->setGeometry(8, 8, kWidth - 16, tabH);

    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setObjectName("ScrollBox1");
    ScrollBox1->setGeometry(8, 8 + tabH, kWidth - 16, kBoxHeight);
    ScrollBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    rows_ = new QWidget;
    rows_->resize(kWidth - 40, kBoxHeight - 4);
    ScrollBox1->setWidget(rows_);

    const int by = 8 + tabH + kBoxHeight + 10;
    Exit_Button = button(this, "Exit_Button", {8, by, 96, 28});
    Save_Button = button(this, "Save_Button", {(kWidth - 96) / 2, by, 96, 28});
    Cancel_Button = button(this, "Cancel_Button", {kWidth - 8 - 96, by, 96, 28});
    setFixedSize(kWidth, by + 28 + 10);

    connect(TabControl1, &QTabBar::currentChanged, this, [this] { TabControl1Change(); });
    connect(Exit_Button, &QPushButton::clicked, this, [this] { Exit_ButtonClick(); });
    connect(Save_Button, &QPushButton::clicked, this, [this] { Save_ButtonClick(); });
    connect(Cancel_Button, &QPushButton::clicked, this, [this] { Cancel_ButtonClick(); });
    FormCreate();
    platform::onFormActivate(this, [this] { FormActivate(); });
}

void Tparam_view::FormCreate() { FORM_FILLED = false; }

int Tparam_view::ShowModal() { return exec() == mrExit ? mrExit : mrCancel; }

void Tparam_view::FormActivate()
{
    LANGUAGE::SETALL(this);
    if (!FORM_FILLED) {
        GET_SECTIONS(SECTION_LIST, false);
        FILL();
        const QSignalBlocker quiet(TabControl1);
        for (const std::string& section : SECTION_LIST)
            if (!section.empty())
                TabControl1->addTab(forms::qstr(section));
        TabControl1->setCurrentIndex(TabControl1->count() > 0 ? 0 : -1);
        FORM_FILLED = true;
    }
    FORM_UPDATE();
    SELECT_SECTION();
    SHADOW_LIST.clear();
    const std::int32_t n = PARAM_LEN();
    for (std::int32_t i = 0; i < n; ++i)
        if (auto p = PARAM_AT(i))
            SHADOW_LIST.push_back(std::move(*p));
}

void Tparam_view::FILL()
{
    const std::int32_t n = PARAM_LEN();
    FORM_LIST.clear();
    FORM_LIST.reserve(static_cast<std::size_t>(std::max(n, 0)));
    // One counter per section: a tab's slot is its section's name, and the
    // rows of hidden sections count among themselves the same way.
    std::map<std::string, int> counters;
    for (std::int32_t i = 0; i < n; ++i) {
        const std::optional<PARAM_T> p = PARAM_AT(i);
        if (!p)
            break;
        int& counter = counters[p->SECTION];
        FORM_PARAM_T row = VIEW_PARAM_ADD(p->NAME, p->VALUE, p->POS_VAL, p->UNITS, param_rows::rowTop(counter),
                                          param_rows::ROW_LEFT);
        row.SEC = p->SECTION;
        ++counter;
        FORM_LIST.push_back(std::move(row));
    }
}

Tparam_view::FORM_PARAM_T Tparam_view::VIEW_PARAM_ADD(const std::string& NAME, const std::string& VALUE,
                                                      const std::string& POS_VAL, const std::string& UNITS, int TOP,
                                                      int LEFT)
{
    FORM_PARAM_T row;
    row.CMB = new QComboBox(rows_);
    row.CMB->setEditable(true);
    row.CMB->setInsertPolicy(QComboBox::NoInsert);
    row.EDT = new QLineEdit(rows_);
    const QRect input(LEFT + param_rows::PARAM_LABEL_WIDTH, TOP, param_rows::PARAM_EDIT_WIDTH, kRowHeight);
    row.CMB->hide();
    row.EDT->hide();
    if (!POS_VAL.empty()) {
        row.CMB->setGeometry(input);
        const std::vector<std::string> items = param_rows::choiceItems(POS_VAL);
        for (const std::string& item : items)
            row.CMB->addItem(forms::qstr(item));
        row.CMB->setCurrentIndex(param_rows::selectedItem(items, VALUE));
        if (row.CMB->currentIndex() < 0)
            row.CMB->setEditText(QString());
        row.CBOX = true;
    } else {
        row.EDT->setGeometry(input);
        row.EDT->setText(forms::qstr(VALUE));
        row.CBOX = false;
    }
    row.LAB = new QLabel(forms::qstr(NAME), rows_);
    row.LAB->setGeometry(LEFT, TOP, param_rows::PARAM_LABEL_WIDTH, kRowHeight);
    row.UNT = new QLabel(forms::qstr(UNITS), rows_);
    row.UNT->setGeometry(LEFT + param_rows::PARAM_LABEL_WIDTH + param_rows::PARAM_EDIT_WIDTH + 10, TOP, kUnitWidth,
                         kRowHeight);
    row.LAB->raise();
    return row;
}

void Tparam_view::FORM_UPDATE()
{
    for (std::size_t i = 0; i < FORM_LIST.size(); ++i) {
        const std::optional<PARAM_T> p = PARAM_AT(static_cast<std::int32_t>(i));
        if (!p)
            break;
        FORM_PARAM_T& row = FORM_LIST[i];
        if (row.CBOX) {
            std::vector<std::string> items;
            for (int k = 0; k < row.CMB->count(); ++k)
                items.push_back(row.CMB->itemText(k).toStdString());
            row.CMB->setCurrentIndex(param_rows::selectedItem(items, p->VALUE));
            if (row.CMB->currentIndex() < 0)
                row.CMB->setEditText(QString());
        } else {
            row.EDT->setText(forms::qstr(p->VALUE));
        }
        row.SHOWN = rowText(row);
    }
}

void Tparam_view::SELECT_SECTION()
{
    const std::string shown = TabControl1->currentIndex() < 0 ? std::string()
                                                               : TabControl1->tabText(TabControl1->currentIndex()).toStdString();
    int rows = 0;
    for (FORM_PARAM_T& row : FORM_LIST) {
        const bool on = TabControl1->currentIndex() >= 0 && row.SEC == shown;
        rows += on;
        row.LAB->setVisible(on);
        row.UNT->setVisible(on);
        row.CMB->setVisible(on && row.CBOX);
        row.EDT->setVisible(on && !row.CBOX);
    }
    // The box scrolls only as far as the rows shown reach.
    rows_->resize(rows_->width(), std::max(kBoxHeight - 4, param_rows::rowTop(rows) + 10));
}

void Tparam_view::TabControl1Change() { SELECT_SECTION(); }

std::string Tparam_view::rowText(const FORM_PARAM_T& row)
{
    return (row.CBOX ? row.CMB->currentText() : row.EDT->text()).toStdString();
}

bool Tparam_view::visibleSection(const std::string& section) const
{
    return !section.empty() && std::find(SECTION_LIST.begin(), SECTION_LIST.end(), section) != SECTION_LIST.end();
}

void Tparam_view::COMMIT_CHANGES()
{
    for (std::size_t i = 0; i < FORM_LIST.size(); ++i) {
        FORM_PARAM_T& row = FORM_LIST[i];
        if (!visibleSection(row.SEC))
            continue;
        const std::string value = text::cutUtf8(rowText(row), PARAM_TEXT_MAX);
        if (value == row.SHOWN)
            continue;
        const bool modified = i >= SHADOW_LIST.size() || SHADOW_LIST[i].VALUE != value;
        PARAM_COMMIT(static_cast<std::int32_t>(i), value, modified);
        row.SHOWN = value;
    }
}

void Tparam_view::Exit_ButtonClick()
{
    COMMIT_CHANGES();
    done(mrExit);
}

void Tparam_view::Save_ButtonClick()
{
    COMMIT_CHANGES();
    SAVE_BACKUP();
}

void Tparam_view::Cancel_ButtonClick() { done(mrCancel); }
