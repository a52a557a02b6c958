#pragma once
// kv::ClientDataSet: the client side of a provider on the application server.
// It asks its remote server object for the records of a provider, holds them
// in memory as a ResultTable and offers a cursor (First, Next, Prior, Last,
// Eof, Bof, RecNo) with field access by name. Windows own their data sets as
// child objects named after the component ("ClientDataSet1").
//
// Fetching: Open() makes one call on the remote server (a kv::Dispatch: the
// server object in-process, or a RemoteDispatch over TCP):
//
//   AS_GetRecords(ProviderName, CommandText, Params, DataRequest) -> data packet
//
//   ProviderName  text: "pvdConSave", "pvdMain", "Provider1", "Provider2",
//                 "pvdTemp", ...; the server refuses a name it does not serve.
//   CommandText   text, may be empty: the SQL the client set as command text.
//   Params        Empty when no parameter is set, else a two-dimensional array
//                 [0..1, 0..n-1]: [0, i] the parameter name, [1, i] its value.
//   DataRequest   Empty unless the client sent a request with DataRequest();
//                 a text there is the SQL to run, and takes precedence over
//                 CommandText. A provider with a query of its own (the saved
//                 condition sets of "pvdConSave") may ignore both.
//   result        a text variant holding ResultTable::toDataPacket() bytes.
//   errors        raised as DispatchError with a message naming the cause
//                 (unknown provider, SQL error); Open() rethrows it as a
//                 DataSetError carrying the same message.
//
// Edits (Edit, field setters, Post) change the records held here only; they
// are never sent back to the provider: the server's own operations store
// changes, and the data set mirrors them (a renamed condition set).
//
// A data set is used on one thread. Fields are rebuilt by every Open(), so
// pointers from FieldByName() and handlers set on fields last until Close();
// afterOpen() is the moment to install handlers again.

#include "platform/Dispatch.h"
#include "platform/ResultTable.h"

#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kv {

inline constexpr std::string_view kGetRecordsMethod = "AS_GetRecords";

// Raised for a closed data set, an unknown field, a value that does not fit
// a field, and (with the server's message) a failed fetch.
class DataSetError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct LocateOptions {
    bool caseInsensitive = false;
    bool partialKey = false; // a text key matches the start of the value
};

class ClientDataSet : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString ProviderName READ providerNameProperty WRITE setProviderNameProperty)
    Q_PROPERTY(QString CommandText READ commandTextProperty WRITE setCommandTextProperty)
    Q_PROPERTY(QString IndexFieldNames READ indexFieldNamesProperty WRITE setIndexFieldNamesProperty)
    Q_PROPERTY(bool Active READ Active WRITE setActive)
    Q_PROPERTY(int RecordCount READ RecordCount)
    Q_PROPERTY(int RecNo READ RecNo WRITE setRecNo)
    Q_PROPERTY(bool Eof READ Eof)
    Q_PROPERTY(bool Bof READ Bof)

public:
    class Field;
    enum class State { Inactive, Browse, Edit };

    explicit ClientDataSet(QObject *parent = nullptr);
    ~ClientDataSet() override;

    // --- connection to the provider
    const std::string &ProviderName() const { return m_providerName; }
    void setProviderName(std::string name) { m_providerName = std::move(name); }
    const std::string &CommandText() const { return m_commandText; }
    void setCommandText(std::string text) { m_commandText = std::move(text); }
    const DispatchPtr &RemoteServer() const { return m_remoteServer; }
    void setRemoteServer(DispatchPtr server) { m_remoteServer = std::move(server); }

    // Parameters sent with every fetch; names compare without case.
    void setParam(std::string_view name, const Variant &value);
    Variant param(std::string_view name) const; // Empty when not set
    void clearParams() { m_params.clear(); }

    // Hands a request (the SQL to run) to the provider with the next fetch;
    // the request stays until another one replaces it. Returns Empty: the
    // provider answers through the records it sends.
    Variant DataRequest(const Variant &data);

    // --- opening
    bool Active() const { return m_state != State::Inactive; }
    void setActive(bool active);
    State state() const { return m_state; }
    // Fetches the records from the provider; nothing when already open.
    void Open();
    // Drops records, fields and edits; the settings above stay.
    void Close();
    // Opens the data set on records held in-process (tests, local results).
    void setData(ResultTable table);
    // The records as fetched, without local edits.
    const ResultTable &Data() const { return m_table; }

    // --- cursor
    int RecordCount() const;
    bool IsEmpty() const { return RecordCount() == 0; }
    int RecNo() const; // 1-based; 0 when closed or empty
    void setRecNo(int recNo);
    bool Eof() const { return m_eof; }
    bool Bof() const { return m_bof; }
    void First();
    void Next();
    void Prior();
    void Last();
    // Moves to the first record (in index order) whose fields ("A;B;C") hold
    // the values: one value for one field, a variant array for several.
    // False, with the cursor unchanged, when no record matches.
    bool Locate(std::string_view keyFields, const Variant &keyValues, LocateOptions options = {});

    // Orders the records by the fields ("A;B;C", ascending, nulls first);
    // empty for the order the provider sent.
    const std::string &IndexFieldNames() const { return m_indexFieldNames; }
    void setIndexFieldNames(std::string names);

    // --- fields
    Field &FieldByName(std::string_view name) const; // DataSetError when missing
    Field *FindField(std::string_view name) const;   // nullptr when missing
    std::vector<Field *> Fields() const;
    int FieldCount() const { return int(m_fields.size()); }

    // --- local edits of the current record
    void Edit();
    void Post();
    void Cancel();

signals:
    void afterOpen();
    void afterClose();
    void afterScroll();

private:
    friend class Field;

    QString providerNameProperty() const { return QString::fromStdString(m_providerName); }
    void setProviderNameProperty(const QString &name) { m_providerName = name.toStdString(); }
    QString commandTextProperty() const { return QString::fromStdString(m_commandText); }
    void setCommandTextProperty(const QString &text) { m_commandText = text.toStdString(); }
    QString indexFieldNamesProperty() const { return QString::fromStdString(m_indexFieldNames); }
    void setIndexFieldNamesProperty(const QString &names) { setIndexFieldNames(names.toStdString()); }

    [[noreturn]] void fail(const std::string &message) const;
    void checkActive() const;
    void checkBrowseMode(); // posts a pending edit before the cursor moves
    ResultTable fetch();
    Variant paramsVariant() const;
    void openOn(ResultTable table);
    void buildFields();
    void applyIndex();
    std::vector<int> columnsOf(std::string_view fieldNames) const;
    bool recordMatches(int row, const std::vector<int> &columns, const std::vector<Variant> &keys,
                       LocateOptions options) const;
    void moveTo(int position);
    int currentRow() const; // table row of the cursor; -1 when none
    std::optional<Variant> editedValue(int row, int column) const;
    Variant cellValue(int row, int column) const;
    void storeEdit(int column, const Variant &value);

    std::string m_providerName;
    std::string m_commandText;
    std::string m_indexFieldNames;
    DispatchPtr m_remoteServer;
    std::vector<std::pair<std::string, Variant>> m_params;
    Variant m_dataRequest;

    State m_state = State::Inactive;
    ResultTable m_table;
    std::vector<std::unique_ptr<Field>> m_fields;
    std::vector<int> m_order; // table rows in index order; empty: table order
    int m_position = -1;      // index into the ordered records
    bool m_bof = true;
    bool m_eof = true;
    std::map<std::pair<int, int>, Variant> m_posted; // (table row, column) → value
    std::map<int, Variant> m_pending;                // column → value while editing
};

// One column of the current record. Reads follow the cursor; a null reads as
// "" / 0 / false. Setters need the Edit state and convert to the field type.
class ClientDataSet::Field {
public:
    using TextHandler = std::function<std::string(const Field &field, const std::string &text)>;

    Field(ClientDataSet &dataSet, int column);

    const std::string &FieldName() const;
    FieldType DataType() const;
    int Index() const { return m_column; }
    const std::string &DisplayLabel() const { return m_displayLabel; }
    void setDisplayLabel(std::string label) { m_displayLabel = std::move(label); }

    bool IsNull() const;
    Variant AsVariant() const; // Null for a null field
    Variant Value() const { return AsVariant(); }
    std::string AsString() const;
    std::int32_t AsInteger() const;
    std::int64_t AsLargeInt() const;
    double AsFloat() const;
    bool AsBoolean() const;

    void setAsVariant(const Variant &value); // Null or Empty clears the field
    void setAsString(std::string_view value) { setAsVariant(Variant(value)); }
    void setAsInteger(std::int64_t value) { setAsVariant(Variant(value)); }
    void setAsFloat(double value) { setAsVariant(Variant(value)); }
    void Clear() { setAsVariant(Variant::null()); }

    // The text shown for the field: AsString passed through the get-text
    // handler when there is one (code-page conversion for display).
    std::string DisplayText() const;
    // Stores text typed by a user, passed through the set-text handler first.
    void setText(std::string_view text);
    void setOnGetText(TextHandler handler) { m_onGetText = std::move(handler); }
    void setOnSetText(TextHandler handler) { m_onSetText = std::move(handler); }
    bool hasOnGetText() const { return bool(m_onGetText); }
    bool hasOnSetText() const { return bool(m_onSetText); }

private:
    template <typename Result>
    Result read(Result (Variant::*cast)() const, const char *typeName) const;

    ClientDataSet &m_dataSet;
    int m_column;
    std::string m_displayLabel;
    TextHandler m_onGetText;
    TextHandler m_onSetText;
};

} // namespace kv
