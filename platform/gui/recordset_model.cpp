#include "platform/gui/recordset_model.h"

#include <exception>

namespace platform {

namespace {

QString plainText(const db::Value& v) {
    return v.isText() ? QString::fromStdString(v.text()) : QString::fromStdString(v.toText());
}

} // namespace

RecordsetModel::RecordsetModel(QObject* parent) : QAbstractTableModel(parent) {}

RecordsetModel::~RecordsetModel() {
    rowsSub_.disconnect();
    disconnect(replaced_);
    disconnect(destroyed_);
}

void RecordsetModel::setDataControl(db::DataControl* data) {
    disconnect(replaced_);
    disconnect(destroyed_);
    data_ = data;
    if (data_) {
        replaced_ =
            connect(data_, &db::DataControl::RecordsetChanged, this, &RecordsetModel::attach);
        destroyed_ = connect(data_, &QObject::destroyed, this, [this] {
            data_ = nullptr;
            attach();
        });
    }
    attach();
}

void RecordsetModel::attach() {
    ++changing_;
    beginResetModel();
    rowsSub_.disconnect();
    rs_ = data_ ? data_->recordset() : db::Recordset();
    if (rs_.isOpen()) rowsSub_ = rs_.observeRows([this](const db::RowEvent& e) { onRows(e); });
    resolveFields();
    rows_ = recordCount();
    endResetModel();
    --changing_;
}

void RecordsetModel::resolveFields() {
    for (Column& c : columns_) {
        c.field = -1;
        c.editable = false;
        c.numeric = false;
        c.textSize = 0;
        if (!rs_.isOpen()) continue;
        c.field = rs_.Fields().indexOf(c.def.field);
        if (c.field < 0) continue;
        const db::FieldDef* def = rs_.Fields(c.field).def();
        c.editable = def && !rs_.baseTable().empty() && !c.def.readOnly;
        c.numeric = def && (def->type == db::FieldType::Long || def->type == db::FieldType::Double);
        if (def && def->type == db::FieldType::Text) c.textSize = def->size;
    }
}

int RecordsetModel::textSize(int col) const {
    if (col < 0 || col >= static_cast<int>(columns_.size())) return 0;
    return columns_[static_cast<size_t>(col)].textSize;
}

int RecordsetModel::recordCount() const {
    return rs_.isOpen() ? rs_.RecordCount() : 0;
}

void RecordsetModel::onRows(const db::RowEvent& e) {
    using Kind = db::RowEvent::Kind;
    const int first = e.first - 1;
    const int last = first + e.count - 1;
    ++changing_;
    switch (e.kind) {
    case Kind::Changed:
    case Kind::Edited:
        if (first >= 0 && last < rows_ && !columns_.empty())
            emit dataChanged(index(first, 0), index(last, columnCount() - 1));
        break;
    case Kind::Added:
        if (first >= 0 && first <= rows_ && e.count > 0) {
            // The rows are in already: until the views have heard that they
            // are about to come, rows from `first` on are read further down.
            shiftFrom_ = first;
            shiftBy_ = e.count;
            beginInsertRows(QModelIndex(), first, last);
            shiftFrom_ = -1;
            rows_ += e.count;
            endInsertRows();
        }
        break;
    case Kind::Removed:
        if (first >= 0 && last < rows_ && e.count > 0) {
            // Likewise the rows are gone already: the ones after them are read further up.
            shiftFrom_ = first;
            shiftBy_ = -e.count;
            beginRemoveRows(QModelIndex(), first, last);
            shiftFrom_ = -1;
            rows_ -= e.count;
            endRemoveRows();
        }
        break;
    case Kind::Reset:
        beginResetModel();
        rows_ = recordCount();
        endResetModel();
        break;
    }
    // A notice that does not fit what the model holds: start over rather
    // than show rows that are not there.
    if (rows_ != recordCount()) {
        beginResetModel();
        rows_ = recordCount();
        endResetModel();
    }
    --changing_;
}

void RecordsetModel::setColumns(std::vector<GridColumn> columns) {
    beginResetModel();
    columns_.clear();
    for (GridColumn& c : columns)
        columns_.push_back(Column{std::move(c), {}, -1, false, false});
    resolveFields();
    endResetModel();
}

const GridColumn& RecordsetModel::column(int col) const {
    return columns_.at(static_cast<size_t>(col)).def;
}

void RecordsetModel::setCaption(int col, const QString& caption) {
    columns_.at(static_cast<size_t>(col)).def.caption = caption;
    emit headerDataChanged(Qt::Horizontal, col, col);
}

void RecordsetModel::setColumnFormat(int col, ColumnFormat format) {
    columns_.at(static_cast<size_t>(col)).format = std::move(format);
    if (rows_ > 0) emit dataChanged(index(0, col), index(rows_ - 1, col));
}

int RecordsetModel::fieldIndex(int col) const {
    return col >= 0 && col < columnCount() ? columns_[static_cast<size_t>(col)].field : -1;
}

int RecordsetModel::positionOf(int row) const {
    if (row < 0 || row >= rows_) return 0;
    if (shiftFrom_ < 0 || row < shiftFrom_) return row + 1;
    if (shiftBy_ < 0 && row < shiftFrom_ - shiftBy_) return 0; // removed already
    return row + 1 + shiftBy_;
}

db::Value RecordsetModel::value(int row, int col) const {
    const int f = fieldIndex(col);
    const int pos = positionOf(row);
    if (f < 0 || pos == 0 || !rs_.isOpen()) return db::Value();
    ++reads_;
    try {
        return rs_.peek(pos, f);
    } catch (const db::Error&) {
        return db::Value();
    }
}

QString RecordsetModel::displayText(int row, int col) const {
    const db::Value v = value(row, col);
    if (col >= 0 && col < columnCount())
        if (const ColumnFormat& fmt = columns_[static_cast<size_t>(col)].format) {
            try {
                QString s = fmt(col, v);
                if (!s.isNull()) return s;
            } catch (const std::exception&) {
                // The cell keeps its plain text.
            }
        }
    return plainText(v);
}

QString RecordsetModel::editText(int row, int col) const {
    return plainText(value(row, col));
}

db::RecordKey RecordsetModel::keyAt(int row) const {
    const int pos = positionOf(row);
    if (!rs_.isOpen() || pos == 0) throw db::Error("The grid shows no such record");
    return rs_.keyAt(pos);
}

int RecordsetModel::rowOf(db::RecordKey key) const {
    return rs_.isOpen() ? rs_.positionOf(key) - 1 : -1;
}

void RecordsetModel::writeCell(int row, int col, const db::Value& value) {
    const int f = fieldIndex(col);
    if (f < 0 || !rs_.isOpen()) throw db::Error("The column shows no field of the record set");
    if (rs_.AbsolutePosition() != row + 1) rs_.setAbsolutePosition(row + 1);
    rs_.Fields(f).setValue(value);
}

void RecordsetModel::redraw() {
    if (rows_ > 0 && !columns_.empty())
        emit dataChanged(index(0, 0), index(rows_ - 1, columnCount() - 1));
}

bool RecordsetModel::valid(const QModelIndex& index) const {
    return index.isValid() && index.model() == this && index.row() < rows_ &&
           index.column() < columnCount();
}

int RecordsetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int RecordsetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant RecordsetModel::data(const QModelIndex& index, int role) const {
    if (!valid(index)) return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return displayText(index.row(), index.column());
    case Qt::EditRole:
        return editText(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(columns_[static_cast<size_t>(index.column())].numeric
                                       ? Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter)
                                       : Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    default:
        return QVariant();
    }
}

QVariant RecordsetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return QVariant();
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < columnCount()
                   ? QVariant(columns_[static_cast<size_t>(section)].def.caption)
                   : QVariant();
    return QString(); // the record selectors carry no text
}

Qt::ItemFlags RecordsetModel::flags(const QModelIndex& index) const {
    if (!valid(index)) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (columns_[static_cast<size_t>(index.column())].editable) f |= Qt::ItemIsEditable;
    return f;
}

bool RecordsetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !valid(index)) return false;
    try {
        writeCell(index.row(), index.column(), db::Value(value.toString().toStdString()));
        return true;
    } catch (const db::Error&) {
        return false;
    }
}

} // namespace platform
