#include "sky/row_list.h"

#include <QByteArray>
#include <QFontDatabase>
#include <QListWidget>

namespace sky {
namespace {

constexpr int kNameRole = Qt::UserRole;
constexpr int kRaRole = Qt::UserRole + 1;
constexpr int kDecRole = Qt::UserRole + 2;
constexpr int kNoPlaceRole = Qt::UserRole + 3;

QByteArray bytes(const std::string& s) { return QByteArray(s.data(), static_cast<qsizetype>(s.size())); }

std::string text(const QListWidgetItem* item, int role)
{
    const QByteArray b = item->data(role).toByteArray();
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

// What a list box can draw: control characters would show as nothing or
// break the columns, so each stands as a replacement mark.
QString shown(const std::string& row)
{
    QString s = QString::fromUtf8(row.data(), static_cast<qsizetype>(row.size()));
    for (QChar& c : s)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QChar(QChar::ReplacementCharacter);
    return s;
}

}  // namespace

QFont rowFont() { return QFontDatabase::systemFont(QFontDatabase::FixedFont); }

QListWidgetItem* makeRowItem(const ObjectTexts& given)
{
    // Every way into a list comes here: typed, picked and loaded entries.
    const ObjectTexts texts = bounded(given);
    auto* item = new QListWidgetItem(shown(OBJECT_ROW(texts)));
    item->setData(kNameRole, bytes(texts.name));
    item->setData(kRaRole, bytes(texts.ra));
    item->setData(kDecRole, bytes(texts.dec));
    return item;
}

ObjectTexts textsOf(const QListWidgetItem* item)
{
    if (!item)
        return {};
    return {text(item, kNameRole), text(item, kRaRole), text(item, kDecRole)};
}

void appendRow(QListWidget* list, const ObjectTexts& texts) { list->addItem(makeRowItem(texts)); }

void markWithoutPlace(QListWidgetItem* item) { item->setData(kNoPlaceRole, true); }

bool hasNoPlace(const QListWidgetItem* item) { return item && item->data(kNoPlaceRole).toBool(); }

int selectedIndex(const QListWidget* list)
{
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.front());
}

void selectIndex(QListWidget* list, int row)
{
    if (row < 0 || row >= list->count()) {
        list->clearSelection();
        return;
    }
    list->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
}

}  // namespace sky
