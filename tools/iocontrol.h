#pragma once
// The digital-output panel "IO_Control", built at its creation from
// ioconfig.txt beside the program. A toggle switches the outputs of its row
// on or off; a push button sets the whole output word to its row's bits.
// Every change posts the panel's one output record to the control window
// ("Control"), whose word rides in every motion frame to the board.
// Nothing in the program shows the panel.

#include "core/Signals.h"
#include "tools/ioconfig.h"

#include <QWidget>

#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAbstractButton;
class QGroupBox;
class QLabel;
class QPushButton;

class TIO_Control final : public QWidget {
    Q_OBJECT
public:
    // Runs FormCreate: reads the file named, or ioconfig.txt beside the
    // program, and builds the panel.
    explicit TIO_Control(QWidget* parent = nullptr, const std::string& file = {});

    struct TITEM {
        QLabel* LAB = nullptr;
        QPushButton* BUTTON = nullptr;
        QPushButton* TOGGLE = nullptr;  // a checkable button
        std::string DATALIST;
        std::string BITLIST;
    };

    std::vector<TITEM> ITEMLIST;
    std::vector<QGroupBox*> GROUPLIST;
    // The record every post carries, changed in place.
    const std::shared_ptr<THWdata> SIGN = std::make_shared<THWdata>();

    void ToggleBox1Click(QObject* sender);
    void Button1MouseDown(QObject* sender, Qt::MouseButton button);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate(const std::string& file);
    TITEM GENITEM(QWidget* group, const ioconfig::Row& row);
    static void TOGGLETEXT(QAbstractButton* toggle, const std::string& textList);
    // A row's bits, or nothing after telling the operator they are not a number.
    std::optional<std::int32_t> bitsOf(const TITEM& item);
    void post();
};
