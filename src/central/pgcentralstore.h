// The central store on a PostgreSQL server: each batch is one transaction on the table
// `readings` (see CentralSchema), keyed by installation, port, day, quantity and removal, so a
// batch sent again replaces its rows instead of adding to them. On connecting, the store
// records its installation and label in `installations`, takes over the rows a desk of its name
// stored before installations had identities, relabels its rows when the desk was renamed, and
// notes whether another installation uses the same name.
#pragma once

#include "centralstore.h"
#include "pgconnection.h"

class PgCentralStore : public CentralStore {
public:
    explicit PgCentralStore(const CentralSettings &settings);

    bool open() override;
    bool isOpen() const override;
    Outcome write(const CentralBatch &batch) override;
    Outcome mirror(const QList<CentralDeletion> &deletions) override;
    QList<CentralSetAside> setAside() const override { return m_setAside; }
    bool nameShared() const override { return m_nameShared; }
    bool answered() const override
    {
        return m_connection.failure() == PgConnection::Failure::Data ||
               m_connection.failure() == PgConnection::Failure::Refused;
    }
    bool passwordRefused() const override
    {
        return m_connection.failure() == PgConnection::Failure::PasswordRefused;
    }
    void close() override;
    QString error() const override { return m_connection.error(); }
    void abort() override;

private:
    bool introduce();
    bool insert(const CentralBatch &batch, const QList<CentralReading> &readings);
    Outcome writeRowByRow(const CentralBatch &batch);
    Outcome fail();

    QString m_installation;
    QString m_desk;
    PgConnection m_connection;
    QList<CentralSetAside> m_setAside;
    bool m_nameShared = false;
};
