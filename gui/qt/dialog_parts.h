// Controls the dialogs build the same way: an editable drop-down with its history and a check
// box, each named so that tests and the dialog's own code find it.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <cstddef>
#include <string>
#include <vector>

#include "qt_text.h"

namespace velt::gui {

// An editable drop-down showing `text`, its history newest first; the core keeps the history,
// so nothing typed is added here. `maxLength` is what the record can hold.
inline QComboBox* MakeHistoryBox(const char* name, const std::string& text,
                                 const std::vector<std::string>& history, std::size_t maxLength,
                                 int width, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMaxVisibleItems(12);
    box->setMinimumContentsLength(width);
    box->lineEdit()->setMaxLength(static_cast<int>(maxLength));
    for (const std::string& earlier : history) box->addItem(Q(earlier));
    box->setCurrentIndex(-1);
    box->setEditText(Q(text));
    return box;
}

inline QCheckBox* MakeCheck(const char* label, const char* name, bool checked, QWidget* parent) {
    auto* check = new QCheckBox(label, parent);
    check->setObjectName(name);
    check->setChecked(checked);
    return check;
}

}  // namespace velt::gui
