#include "sky/presel_add.h"

#include "forms/translate.h"
#include "forms/widgets.h"
#include "platform/form_activation.h"
#include "sky/coords.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>

namespace {

constexpr int kWidth = 470;
constexpr int kHeight = 118;

using forms::placed;

void colour(QLineEdit* edit, const QColor& c)
{
    QPalette p = edit->palette();
    p.setColor(QPalette::Base, c);
    edit->setPalette(p);
}

std::string textOf(const QLineEdit* e) { return e->text().toStdString(); }

}  // namespace

TF_presel_add::TF_presel_add(QWidget* parent) : QDialog(parent)
{
    setObjectName("F_presel_add");
    setWindowTitle("F_presel_add");
    resize(kWidth, kHeight);
    Label1 = placed(new QLabel("Label1", this), "Label1", {10, 8, 200, 20});
    Label2 = placed(new QLabel("Label2", this), "Label2", {218, 8, 116, 20});
    Label3 = placed(new QLabel("Label3", this), "Label3", {342, 8, 118, 20});
    Object_Name = placed(new QLineEdit(this), "Object_Name", {10, 30, 200, 26});
    Object_RA = placed(new QLineEdit(this), "Object_RA", {218, 30, 116, 26});
    Object_Decl = placed(new QLineEdit(this), "Object_Decl", {342, 30, 118, 26});
    B_save = placed(new QPushButton("B_save", this), "B_save", {10, 78, 90, 28});
    B_cancel = placed(new QPushButton("B_cancel", this), "B_cancel", {370, 78, 90, 28});
    B_save->setDefault(true);
    connect(Object_RA, &QLineEdit::textChanged, this, [this] { Object_RAChange(); });
    connect(Object_Decl, &QLineEdit::textChanged, this, [this] { Object_DeclChange(); });
    connect(B_save, &QPushButton::clicked, this, [this] { B_saveClick(); });
    connect(B_cancel, &QPushButton::clicked, this, [this] { B_cancelClick(); });
    platform::onFormActivate(this, [this] { FormActivate(); });
}

QColor TF_presel_add::fitColour() { return QApplication::palette().color(QPalette::Active, QPalette::Base); }

QColor TF_presel_add::misfitColour() { return QColor(255, 0, 0); }

void TF_presel_add::FormActivate() { LANGUAGE::SETALL(this); }

void TF_presel_add::Object_RAChange()
{
    colour(Object_RA, sky::RA_ENTRY_FITS(textOf(Object_RA)) ? fitColour() : misfitColour());
}

void TF_presel_add::Object_DeclChange()
{
    colour(Object_Decl, sky::DEC_ENTRY_FITS(textOf(Object_Decl)) ? fitColour() : misfitColour());
}

void TF_presel_add::B_saveClick()
{
    // The red edits are the only sign of what is wrong.
    if (!Object_Name->text().isEmpty() && sky::RA_ENTRY_FITS(textOf(Object_RA)) &&
        sky::DEC_ENTRY_FITS(textOf(Object_Decl)))
        done(QDialog::Accepted);
}

void TF_presel_add::B_cancelClick() { done(QDialog::Rejected); }

