#pragma once
// What every sheet window has for the engine: its two data controls, Data1
// (the sheet's records in Code order) and Data2 (its "Sheets List" row).
// Usable without any window; the sheet windows derive from it.
#include "platform/db/data_control.h"

namespace db {

enum class SheetKind { Worksheet, Datasheet };

class SheetForm {
public:
    explicit SheetForm(SheetKind kind) : kind_(kind) {}
    virtual ~SheetForm() = default;
    SheetForm(const SheetForm&) = delete;
    SheetForm& operator=(const SheetForm&) = delete;

    SheetKind sheetKind() const { return kind_; }

    DataControl Data1;
    DataControl Data2;

private:
    SheetKind kind_;
};

} // namespace db
