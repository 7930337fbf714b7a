#pragma once
// A data control: a connection string and a record source, refreshed into
// the record set it owns, with the move events of that record set as Qt
// signals. Moves of the control's own record set raise them, whether the
// user or code moved it; moves of a clone of it never do.
#include "platform/db/recordset.h"

#include <QObject>

#include <memory>
#include <string>
#include <vector>

namespace db {

class DataControl : public QObject {
    Q_OBJECT
public:
    explicit DataControl(QObject* parent = nullptr);
    ~DataControl() override;

    const std::string& ConnectionString() const { return connect_; }
    void setConnectionString(const std::string& connect) { connect_ = connect; }
    const std::string& RecordSource() const { return source_; }
    // A query or a table name; values for its "?" marks are bound, never pasted in.
    void setRecordSource(const std::string& source, std::vector<Value> params = {});
    LockType lockType() const { return lock_; }
    void setLockType(LockType lock) { lock_ = lock; }

    // Opens the file named by the connection string and reads the record
    // source into a new record set, on its first record. Throws db::Error
    // (the control keeps its old record set then).
    void Refresh();

    // The record set the control owns (closed before the first Refresh).
    Recordset& recordset() { return rs_; }
    // Makes another record set (a clone, for instance) the control's own.
    void setRecordset(Recordset rs);

    // The path of "Data Source=" in a connection string ("" when there is none).
    static std::string dataSource(const std::string& connectionString);

signals:
    void MoveComplete();
    // The control owns another record set now (Refresh, setRecordset): whatever
    // observed the old one must look at the new one.
    void RecordsetChanged();

private:
    std::string connect_;
    std::string source_;
    std::vector<Value> params_;
    LockType lock_ = LockType::Optimistic;
    Recordset rs_;
    Subscription moves_;
};

} // namespace db
