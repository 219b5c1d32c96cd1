// The journal beside a data-packet file: rows appended one record each are read back with the
// file; an append stopped half-way is left out, damage anywhere else is refused, and a journal
// never follows a file it was not started after.
#include <runtime/cdsfile.h>

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

DataPacket lines(int count)
{
    DataPacket packet;
    packet.fields = {{QStringLiteral("NRSEQ"), FieldType::String, 3},
                     {QStringLiteral("STOBSPEDIDO"), FieldType::Memo, 0},
                     {QStringLiteral("VRPRECCOMVEN"), FieldType::Currency, 0},
                     {QStringLiteral("DTHRABERMESA"), FieldType::DateTime, 0}};
    for (int n = 1; n <= count; ++n)
        packet.rows.append({QStringLiteral("%1").arg(n, 3, 10, QLatin1Char('0')),
                            QString::fromUtf8("sem cebola\n<já> & \"logo\" %1").arg(n), 7.5 * n,
                            QDateTime(QDate(2026, 12, 11), QTime(12, 0, n))});
    return packet;
}

class CdsJournal : public testing::Test
{
protected:
    QString file() const { return m_dir.filePath(QStringLiteral("cdsVenda.cds")); }
    QString journal() const { return CdsFile::journalName(file()); }

    // The first `saved` rows written whole, the rest up to `count` appended one by one.
    void write(int saved, int count)
    {
        const DataPacket all = lines(count);
        DataPacket first = all;
        first.rows = all.rows.mid(0, saved);
        ASSERT_TRUE(CdsFile::saveJournaled(file(), first));
        for (int row = saved; row < count; ++row)
            ASSERT_TRUE(CdsFile::appendRow(file(), all.fields, row, all.rows.at(row)));
    }
    QByteArray bytes(const QString &name) const
    {
        QFile f(name);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }
    void replace(const QString &name, const QByteArray &content) const
    {
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
    }

private:
    QTemporaryDir m_dir;
};

TEST_F(CdsJournal, AppendedRowsAreReadBackWithTheFileWhichKeepsOnlyTheRowsWrittenWhole)
{
    write(1, 4);
    DataPacket loaded;
    QString note;
    ASSERT_TRUE(CdsFile::loadJournaled(file(), &loaded, nullptr, &note));
    EXPECT_EQ(loaded, lines(4));
    EXPECT_TRUE(note.isEmpty()) << note.toStdString();
    DataPacket fileAlone;
    ASSERT_TRUE(CdsFile::load(file(), &fileAlone));
    EXPECT_EQ(fileAlone, lines(1));
}

TEST_F(CdsJournal, AFileWrittenWholeAgainStartsAnEmptyJournal)
{
    write(1, 3);
    ASSERT_TRUE(CdsFile::saveJournaled(file(), lines(2)));
    DataPacket loaded;
    ASSERT_TRUE(CdsFile::loadJournaled(file(), &loaded));
    EXPECT_EQ(loaded, lines(2));
}

// An append stopped anywhere in its record: the rows before it stand, the note tells.
struct TornCase
{
    const char *name;
    int keep;     // bytes of the last record on the disk; below zero: all but that many
    bool changed; // one byte of the payload changed
    bool zeros;   // a tail of zeros after it, as a disk may leave after a stop
};

class CdsJournalTorn : public CdsJournal, public testing::WithParamInterface<TornCase>
{
};

TEST_P(CdsJournalTorn, LeavesTheLastRowOutAndSaysSo)
{
    write(1, 2);
    const qsizetype before = bytes(journal()).size();
    const DataPacket all = lines(3);
    ASSERT_TRUE(CdsFile::appendRow(file(), all.fields, 2, all.rows.at(2)));
    QByteArray content = bytes(journal());
    const TornCase &torn = GetParam();
    content.truncate(torn.keep >= 0 ? before + torn.keep : content.size() + torn.keep);
    if (torn.changed)
        content[before + 40] = content.at(before + 40) == 'x' ? 'y' : 'x';
    if (GetParam().zeros)
        content.append(QByteArray(300, '\0'));
    replace(journal(), content);

    DataPacket loaded;
    QString error;
    QString note;
    ASSERT_TRUE(CdsFile::loadJournaled(file(), &loaded, &error, &note)) << error.toStdString();
    EXPECT_EQ(loaded, lines(2));
    EXPECT_TRUE(note.contains(QStringLiteral("cdsVenda.cds.jnl"))) << note.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Cuts, CdsJournalTorn,
                         testing::Values(TornCase{"InTheDigest", 7, false, false},
                                         TornCase{"InTheRow", 60, false, false},
                                         TornCase{"InTheCount", -3, false, false},
                                         TornCase{"WholeButChanged", 1 << 20, true, false},
                                         TornCase{"NothingButZeros", 0, false, true},
                                         TornCase{"ThenZeros", 30, false, true}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(CdsJournal, ADamagedRecordBeforeTheLastIsRefusedNamingTheJournal)
{
    write(1, 3);
    QByteArray content = bytes(journal());
    const qsizetype firstRecord = content.indexOf('\n', content.indexOf('\n') + 1) + 1;
    content[firstRecord + 40] = content.at(firstRecord + 40) == 'x' ? 'y' : 'x';
    replace(journal(), content);

    DataPacket loaded = lines(9);
    QString error;
    EXPECT_FALSE(CdsFile::loadJournaled(file(), &loaded, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("cdsVenda.cds.jnl"))) << error.toStdString();
    EXPECT_EQ(loaded, lines(9));
}

// The file was written whole after the journal (the stop came before the new journal was
// started): the journal's rows are in the file already and are not added again.
TEST_F(CdsJournal, AJournalOfAnEarlierFileIsLeftAside)
{
    write(1, 3);
    const QByteArray oldJournal = bytes(journal());
    ASSERT_TRUE(CdsFile::saveJournaled(file(), lines(3)));
    replace(journal(), oldJournal);

    DataPacket loaded;
    QString note;
    ASSERT_TRUE(CdsFile::loadJournaled(file(), &loaded, nullptr, &note));
    EXPECT_EQ(loaded, lines(3));
    EXPECT_FALSE(note.isEmpty());
}

// Where the journal cannot take the row as the next of the file on the disk, the append is
// refused and nothing is written: the caller writes the file whole.
TEST_F(CdsJournal, AnAppendThatWouldNotFollowTheFileIsRefusedAndWritesNothing)
{
    const DataPacket all = lines(4);
    const auto refused = [&](const char *why, int row, const QList<FieldDef> &fields) {
        const QByteArray before = QFile::exists(journal()) ? bytes(journal()) : QByteArray();
        EXPECT_FALSE(CdsFile::appendRow(file(), fields, row, all.rows.at(row))) << why;
        EXPECT_EQ(QFile::exists(journal()) ? bytes(journal()) : QByteArray(), before) << why;
    };
    refused("no file, no journal", 0, all.fields);
    write(1, 2);
    refused("a row skipped", 3, all.fields);
    refused("a row already there", 1, all.fields);
    QList<FieldDef> other = all.fields;
    other[0].size = 4;
    refused("other fields", 2, other);
    DataPacket rewritten = lines(2);
    ASSERT_TRUE(CdsFile::save(file(), rewritten));
    refused("the file written since, without its journal", 2, all.fields);
    ASSERT_TRUE(QFile::remove(journal()));
    refused("no journal", 2, all.fields);
}

TEST_F(CdsJournal, RemovingTakesTheJournalAndTheFile)
{
    write(1, 2);
    ASSERT_TRUE(CdsFile::removeJournaled(file()));
    EXPECT_FALSE(QFile::exists(file()));
    EXPECT_FALSE(QFile::exists(journal()));
    EXPECT_TRUE(CdsFile::removeJournaled(file()));
}

} // namespace
