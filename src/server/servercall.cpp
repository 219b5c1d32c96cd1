#include "servercall.h"

#include "resultvalues.h"

ServerCall::ServerCall(Session session)
    : ServerCall(rdmVendaCons(), session)
{
}

ServerCall::ServerCall(TrdmVendaCons &module, Session session)
    : m_module(module), m_session(session)
{
}

Qub_movrela::DbConnection &ServerCall::session()
{
    return m_session == Session::Probe ? m_module.adcTesteConexao() : m_module.adcVendaCons();
}

bool ServerCall::run(const Statement &statement, const Params &params, Qub_movrela::QueryRows *rows)
{
    m_error = Qub_movrela::DbError{};
    m_errorText.clear();
    m_rowsAffected = -1;
    if (!m_refusal.isEmpty()) {
        m_error = {Qub_movrela::DbError::Cause::Statement, statement.name(), m_refusal, QString()};
        m_errorText = m_refusal;
        return false;
    }
    Qub_movrela::DbConnection &connection = session();
    if (m_session == Session::Main && !m_module.connect(&m_errorText)) {
        m_error = connection.lastError();
        return false;
    }
    Qub_movrela::QueryRows local;
    Qub_movrela::QueryRows *target = rows ? rows : &local;
    if (!connection.execute(statement.name(), statement.text(connection.kind()), params, target)) {
        m_error = connection.lastError();
        m_errorText = Qub_movrela::ADOExceptionMessage(m_error, connection, QString());
        return false;
    }
    m_rowsAffected = target->rowsAffected;
    return true;
}

Variant ServerCall::failure()
{
    return Variant::failure(m_errorText);
}

Variant ServerCall::packet(const Statement &statement, const Params &params)
{
    Qub_movrela::QueryRows rows;
    if (!run(statement, params, &rows))
        return failure();
    return ResultValues::toPacket(rows);
}

Variant ServerCall::value(const Statement &statement, const Params &params, const QString &column)
{
    Qub_movrela::QueryRows rows;
    if (!run(statement, params, &rows))
        return failure();
    const int index = rows.columns.indexOf(column.toUpper());
    if (index < 0) {
        m_errorText = QStringLiteral("o comando não devolve a coluna %1 [%2]").arg(column, statement.name());
        return failure();
    }
    if (rows.rows.isEmpty())
        return Variant();
    return ResultValues::toVariant(rows.rows.first().at(index), rows.columns.at(index));
}

QString ServerCall::fieldText(const Statement &statement, const Params &params, const QString &column,
                              const TextOnFailure &onFailure)
{
    const Variant found = value(statement, params, column);
    if (found.isFailure())
        return onFailure.usesErrorText() ? found.failureText() : onFailure.text();
    return found.toString();
}

bool ServerCall::exists(const Statement &statement, const Params &params, const CheckAnswers &answers)
{
    Qub_movrela::QueryRows rows;
    if (!run(statement, params, &rows))
        return answers.failed;
    return rows.rows.isEmpty() ? answers.missing : answers.found;
}

Variant ServerCall::write(const Statement &statement, const Params &params)
{
    return run(statement, params, nullptr) ? Variant() : failure();
}

TransactionScope::TransactionScope(ServerCall &call)
    : m_call(call)
{
    if (!m_call.m_module.StartTrans()) {
        m_call.m_refusal = m_call.m_module.lastErrorText();
        m_done = true;
    }
}

TransactionScope::~TransactionScope()
{
    if (!m_done)
        m_call.m_module.RollbackTrans();
}

Variant TransactionScope::commit()
{
    if (!m_call.m_refusal.isEmpty())
        return Variant::failure(m_call.m_refusal);
    m_done = true;
    if (m_call.m_module.CommitTrans())
        return Variant();
    return Variant::failure(m_call.m_module.lastErrorText());
}

void TransactionScope::rollback()
{
    if (!m_done)
        m_call.m_module.RollbackTrans();
    m_done = true;
}
