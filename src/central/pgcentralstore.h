// The central store on a PostgreSQL server: each batch is one transaction on the table
// `readings` (see CentralSchema), keyed by desk, port, day and quantity, so a batch sent again
// replaces its rows instead of adding to them.
#pragma once

#include "central/centralstore.h"
#include "central/pgconnection.h"

class PgCentralStore : public CentralStore {
public:
    explicit PgCentralStore(const CentralSettings &settings);

    bool open() override;
    bool isOpen() const override;
    Outcome write(const CentralBatch &batch) override;
    void close() override;
    QString error() const override { return m_connection.error(); }
    void abort() override;

private:
    Outcome fail();

    QString m_desk;
    PgConnection m_connection;
};
