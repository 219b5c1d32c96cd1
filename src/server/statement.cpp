#include "statement.h"

#include <QMutex>

namespace {

struct Registry
{
    QMutex lock;
    QList<Statement> statements;
    QStringList duplicates;
};

Registry &registry()
{
    static Registry r;
    return r;
}

} // namespace

Statement::Statement(const char *name, const char *text, const DialectTexts &perKind)
    : m_name(QString::fromUtf8(name)), m_text(QString::fromUtf8(text)), m_perKind(perKind)
{
    Registry &r = registry();
    QMutexLocker lock(&r.lock);
    for (const Statement &known : r.statements) {
        if (known.name() == m_name) {
            r.duplicates.append(m_name);
            return;
        }
    }
    r.statements.append(*this);
}

QString Statement::text(DatabaseKind kind) const
{
    const QString &own = kind == DatabaseKind::SQLite ? m_perKind.sqlite : m_perKind.postgresql;
    return own.isEmpty() ? m_text : own;
}

namespace StatementCatalogue {

QList<Statement> all()
{
    QMutexLocker lock(&registry().lock);
    return registry().statements;
}

QStringList duplicateNames()
{
    QMutexLocker lock(&registry().lock);
    return registry().duplicates;
}

} // namespace StatementCatalogue
