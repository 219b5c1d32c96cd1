#include <runtime/abort.h>
#include <runtime/clientdataset.h>

#include <gtest/gtest.h>

#include <functional>

namespace {

// A small sale-line table: code, text, kind, price, quantity, stamp.
void defineItems(ClientDataSet &ds)
{
    ds.FieldDefs().Add(QStringLiteral("CDPRODUTO"), FieldType::String, 10);
    ds.FieldDefs().Add(QStringLiteral("NMPRODUTO"), FieldType::String, 20);
    ds.FieldDefs().Add(QStringLiteral("IDTIPO"), FieldType::String, 1);
    ds.FieldDefs().Add(QStringLiteral("VRPRECO"), FieldType::Currency);
    ds.FieldDefs().Add(QStringLiteral("QTPRODUTO"), FieldType::Integer);
    ds.FieldDefs().Add(QStringLiteral("DTINCLUSAO"), FieldType::DateTime);
}

void addItem(ClientDataSet &ds, const QString &code, const QString &kind = QStringLiteral("E"),
             double price = 1.0, int quantity = 1)
{
    ds.Append();
    ds.FieldByName(QStringLiteral("CDPRODUTO")).SetAsString(code);
    ds.FieldByName(QStringLiteral("IDTIPO")).SetAsString(kind);
    ds.FieldByName(QStringLiteral("VRPRECO")).SetAsFloat(price);
    ds.FieldByName(QStringLiteral("QTPRODUTO")).SetAsInteger(quantity);
    ds.Post();
}

ClientDataSet *makeItems(ClientDataSet &ds, const QStringList &codes)
{
    defineItems(ds);
    ds.CreateDataSet();
    for (const QString &code : codes)
        addItem(ds, code);
    ds.First();
    return &ds;
}

// The codes in cursor order, walking from the first row; the cursor ends past the last.
QStringList codes(ClientDataSet &ds)
{
    QStringList seen;
    for (ds.First(); !ds.Eof(); ds.Next())
        seen << ds.FieldByName(QStringLiteral("CDPRODUTO")).AsString();
    return seen;
}

QString current(const ClientDataSet &ds)
{
    return ds.FieldByName(QStringLiteral("CDPRODUTO")).AsString();
}

const QStringList abcd = {"A", "B", "C", "D"};

} // namespace

// ---- fields ---------------------------------------------------------------------------------

struct CutCase
{
    const char *name;
    FieldType type;
    int size;
    QString assigned;
    Variant stored;
};

class CutOnAssign : public testing::TestWithParam<CutCase>
{
};

TEST_P(CutOnAssign, TextIsCutToTheFieldSizeInCharacters)
{
    const CutCase &c = GetParam();
    ClientDataSet ds;
    ds.FieldDefs().Add(QStringLiteral("TEXTO"), c.type, c.size);
    ASSERT_TRUE(ds.CreateDataSet());
    ds.Append();
    ASSERT_TRUE(ds.FieldByName(QStringLiteral("TEXTO")).SetAsString(c.assigned));
    ds.Post();
    EXPECT_EQ(ds.FieldByName(QStringLiteral("texto")).Value(), c.stored);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, CutOnAssign,
    testing::Values(
        CutCase{"Longer", FieldType::String, 5, "ABCDEFG", Variant("ABCDE")},
        CutCase{"Accented", FieldType::String, 3, QString::fromUtf8("ÁÉÍÓÚ"), Variant(QString::fromUtf8("ÁÉÍ"))},
        CutCase{"SurrogatePairs", FieldType::String, 2, QString::fromUtf8("😀😀😀"), Variant(QString::fromUtf8("😀😀"))},
        CutCase{"Shorter", FieldType::String, 5, "AB", Variant("AB")},
        CutCase{"FixedPadded", FieldType::FixedString, 4, "AB", Variant("AB  ")},
        CutCase{"FixedCut", FieldType::FixedString, 4, QString::fromUtf8("ÇÃOÉX"), Variant(QString::fromUtf8("ÇÃOÉ"))},
        CutCase{"EmptyIsNull", FieldType::String, 5, "", Variant::null()},
        CutCase{"MemoNotCut", FieldType::Memo, 0, QString(3000, 'x'), Variant(QString(3000, 'x'))}),
    [](const testing::TestParamInfo<CutCase> &info) { return std::string(info.param.name); });

TEST(ClientDataSetFields, ValuesAreConvertedToTheFieldTypeOrRefused)
{
    ClientDataSet ds;
    makeItems(ds, {"A"});
    ASSERT_TRUE(ds.Edit());
    EXPECT_TRUE(ds.FieldByName(QStringLiteral("QTPRODUTO")).SetAsString(QStringLiteral("12")));
    EXPECT_TRUE(ds.FieldByName(QStringLiteral("VRPRECO")).SetAsString(QStringLiteral("1,5")));
    EXPECT_FALSE(ds.FieldByName(QStringLiteral("QTPRODUTO")).SetAsString(QStringLiteral("doze")));
    EXPECT_FALSE(ds.FieldByName(QStringLiteral("NAOEXISTE")).SetAsString(QStringLiteral("x")));
    ds.Post();
    EXPECT_EQ(ds.FieldByName(QStringLiteral("QTPRODUTO")).AsInteger(), 12);
    EXPECT_DOUBLE_EQ(ds.FieldByName(QStringLiteral("VRPRECO")).AsFloat(), 1.5);
    EXPECT_TRUE(ds.FieldByName(QStringLiteral("NMPRODUTO")).IsNull());
    EXPECT_FALSE(ds.FindField(QStringLiteral("NAOEXISTE")).IsValid());
    EXPECT_TRUE(ds.HasField(QStringLiteral("cdproduto")));
}

TEST(ClientDataSetFields, WritingOutsideEditModeIsRefusedAndChangesNothing)
{
    ClientDataSet ds;
    makeItems(ds, {"A"});
    EXPECT_FALSE(ds.FieldByName(QStringLiteral("CDPRODUTO")).SetAsString(QStringLiteral("Z")));
    EXPECT_EQ(current(ds), QStringLiteral("A"));
}

TEST(ClientDataSetFields, RequiredFieldKeepsTheEditOpenUntilFilled)
{
    ClientDataSet ds;
    ds.FieldDefs().Add(QStringLiteral("NRSEQ"), FieldType::String, 3, true);
    ds.CreateDataSet();
    ds.Append();
    EXPECT_FALSE(ds.Post());
    EXPECT_EQ(ds.State(), DataSetState::Insert);
    ds.FieldByName(QStringLiteral("NRSEQ")).SetAsString(QStringLiteral("001"));
    EXPECT_TRUE(ds.Post());
    EXPECT_EQ(ds.RecordCount(), 1);
}

// ---- lifecycle ------------------------------------------------------------------------------

TEST(ClientDataSetLifecycle, CloseDiscardsRowsEmptyKeepsItOpen)
{
    ClientDataSet ds;
    EXPECT_FALSE(ds.Active());
    makeItems(ds, abcd);
    EXPECT_TRUE(ds.Active());
    EXPECT_EQ(ds.RecordCount(), 4);

    ds.EmptyDataSet();
    EXPECT_TRUE(ds.Active());
    EXPECT_TRUE(ds.IsEmpty());

    addItem(ds, QStringLiteral("X"));
    ds.Close();
    EXPECT_FALSE(ds.Active());
    EXPECT_EQ(ds.RecordCount(), 0);
    ASSERT_TRUE(ds.CreateDataSet()); // "create when not open"
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_EQ(ds.FieldCount(), 6);
}

TEST(ClientDataSetLifecycle, EditOnAnEmptyDataSetAppendsOneRow)
{
    ClientDataSet ds;
    makeItems(ds, {});
    ASSERT_TRUE(ds.Edit());
    EXPECT_EQ(ds.State(), DataSetState::Insert);
    ds.FieldByName(QStringLiteral("CDPRODUTO")).SetAsString(QStringLiteral("N"));
    ds.Post();
    EXPECT_EQ(codes(ds), QStringList{"N"});
}

TEST(ClientDataSetLifecycle, CancelDropsTheEditAndTheNewRow)
{
    ClientDataSet ds;
    makeItems(ds, {"A", "B"});
    ds.Edit();
    ds.FieldByName(QStringLiteral("CDPRODUTO")).SetAsString(QStringLiteral("Z"));
    ds.Cancel();
    ds.Append();
    ds.Cancel();
    EXPECT_EQ(codes(ds), (QStringList{"A", "B"}));
}

TEST(ClientDataSetLifecycle, MovingPostsAPendingEdit)
{
    ClientDataSet ds;
    makeItems(ds, {"A", "B"});
    ds.Edit();
    ds.FieldByName(QStringLiteral("CDPRODUTO")).SetAsString(QStringLiteral("Z"));
    ds.Next();
    EXPECT_EQ(ds.State(), DataSetState::Browse);
    EXPECT_EQ(codes(ds), (QStringList{"Z", "B"}));
}

// ---- cursor ---------------------------------------------------------------------------------

TEST(ClientDataSetCursor, FirstLastNextPriorSetEofAndBof)
{
    ClientDataSet ds;
    makeItems(ds, {"A", "B"});
    EXPECT_TRUE(ds.Bof());
    EXPECT_FALSE(ds.Eof());
    ds.Next();
    EXPECT_EQ(current(ds), QStringLiteral("B"));
    ds.Next();
    EXPECT_TRUE(ds.Eof());
    EXPECT_EQ(current(ds), QStringLiteral("B")); // stays on the last row
    ds.Prior();
    ds.Prior();
    EXPECT_TRUE(ds.Bof());
    EXPECT_EQ(ds.RecNo(), 1);

    ClientDataSet empty;
    makeItems(empty, {});
    EXPECT_TRUE(empty.Eof());
    EXPECT_TRUE(empty.Bof());
    EXPECT_EQ(empty.RecNo(), 0);
    EXPECT_EQ(empty.MoveBy(3), 0);
}

struct MoveCase
{
    const char *name;
    int from;
    int distance;
    int recNo;
    int moved;
    bool eof;
    bool bof;
};

class MoveBy : public testing::TestWithParam<MoveCase>
{
};

TEST_P(MoveBy, IsClampedAtBothEnds)
{
    const MoveCase &c = GetParam();
    ClientDataSet ds;
    makeItems(ds, {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"});
    ASSERT_TRUE(ds.SetRecNo(c.from));
    EXPECT_EQ(ds.MoveBy(c.distance), c.moved);
    EXPECT_EQ(ds.RecNo(), c.recNo);
    EXPECT_EQ(ds.Eof(), c.eof);
    EXPECT_EQ(ds.Bof(), c.bof);
}

INSTANTIATE_TEST_SUITE_P(
    Cursor, MoveBy,
    testing::Values(MoveCase{"PageDownInside", 1, 4, 5, 4, false, false},
                    MoveCase{"PageDownPastEnd", 8, 4, 10, 2, true, false},
                    MoveCase{"PageUpInside", 9, -4, 5, -4, false, false},
                    MoveCase{"PageUpPastStart", 3, -4, 1, -2, false, true},
                    MoveCase{"FromLastForward", 10, 1, 10, 0, true, false},
                    MoveCase{"Zero", 5, 0, 5, 0, false, false}),
    [](const testing::TestParamInfo<MoveCase> &info) { return std::string(info.param.name); });

TEST(ClientDataSetCursor, BookmarkBringsTheCursorBack)
{
    ClientDataSet ds;
    makeItems(ds, abcd);
    ds.Locate(QStringLiteral("CDPRODUTO"), QStringLiteral("B"));
    const Bookmark mark = ds.GetBookmark();
    ds.Locate(QStringLiteral("CDPRODUTO"), QStringLiteral("D"));
    EXPECT_TRUE(ds.BookmarkValid(mark));
    EXPECT_TRUE(ds.GotoBookmark(mark));
    EXPECT_EQ(current(ds), QStringLiteral("B"));

    ds.Delete(); // on "C" now
    EXPECT_FALSE(ds.BookmarkValid(mark));
    EXPECT_FALSE(ds.GotoBookmark(mark));
    EXPECT_EQ(current(ds), QStringLiteral("C"));
}

// ---- insert and delete -------------------------------------------------------------------------

TEST(ClientDataSetEditing, InsertGoesBeforeTheCurrentRow)
{
    ClientDataSet ds;
    makeItems(ds, {"A", "B", "C"});
    ds.Locate(QStringLiteral("CDPRODUTO"), QStringLiteral("B"));
    ds.Insert();
    ds.FieldByName(QStringLiteral("CDPRODUTO")).SetAsString(QStringLiteral("X"));
    ds.Post();
    EXPECT_EQ(current(ds), QStringLiteral("X"));
    EXPECT_EQ(ds.RecNo(), 2);
    ds.Insert(); // before X
    ds.FieldByName(QStringLiteral("CDPRODUTO")).SetAsString(QStringLiteral("Y"));
    ds.Post();
    EXPECT_EQ(codes(ds), (QStringList{"A", "Y", "X", "B", "C"}));
    EXPECT_EQ(ds.Data().rows.at(1).at(0), Variant("Y")); // the stored order too
}

TEST(ClientDataSetEditing, DeleteMovesToTheNextRowOrTheNewLast)
{
    ClientDataSet ds;
    makeItems(ds, {"A", "B", "C"});
    ds.Next();
    ASSERT_TRUE(ds.Delete());
    EXPECT_EQ(current(ds), QStringLiteral("C"));
    EXPECT_FALSE(ds.Eof());
    ASSERT_TRUE(ds.Delete());
    EXPECT_EQ(current(ds), QStringLiteral("A"));
    EXPECT_TRUE(ds.Eof());
    ASSERT_TRUE(ds.Delete());
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_FALSE(ds.Delete());
}

struct LoopCase
{
    const char *name;
    QStringList rows;
    QStringList left;
};

class DeleteLoop : public testing::TestWithParam<LoopCase>
{
};

// "if match Delete else Next" must look at every row exactly once.
TEST_P(DeleteLoop, VisitsEveryRow)
{
    const LoopCase &c = GetParam();
    ClientDataSet ds;
    makeItems(ds, c.rows);
    int visits = 0;
    ds.First();
    while (!ds.Eof()) {
        ++visits;
        if (current(ds).startsWith(QLatin1Char('x')))
            ds.Delete();
        else
            ds.Next();
    }
    EXPECT_EQ(codes(ds), c.left);
    EXPECT_EQ(visits, c.rows.size());
}

INSTANTIATE_TEST_SUITE_P(
    Editing, DeleteLoop,
    testing::Values(LoopCase{"None", {"a", "b"}, {"a", "b"}},
                    LoopCase{"First", {"x1", "a", "b"}, {"a", "b"}},
                    LoopCase{"Last", {"a", "b", "x1"}, {"a", "b"}},
                    LoopCase{"Consecutive", {"a", "x1", "x2", "b"}, {"a", "b"}},
                    LoopCase{"Alternating", {"x1", "a", "x2", "b", "x3"}, {"a", "b"}},
                    LoopCase{"All", {"x1", "x2", "x3"}, {}}),
    [](const testing::TestParamInfo<LoopCase> &info) { return std::string(info.param.name); });

// ---- locate -------------------------------------------------------------------------------------

TEST(ClientDataSetLocate, FailedLocateKeepsTheCursor)
{
    ClientDataSet ds;
    makeItems(ds, abcd);
    ds.Locate(QStringLiteral("CDPRODUTO"), QStringLiteral("C"));
    EXPECT_FALSE(ds.Locate(QStringLiteral("CDPRODUTO"), QStringLiteral("Z")));
    EXPECT_EQ(current(ds), QStringLiteral("C"));
    EXPECT_FALSE(ds.Locate(QStringLiteral("NAOEXISTE"), QStringLiteral("A")));
    EXPECT_EQ(current(ds), QStringLiteral("C"));
}

TEST(ClientDataSetLocate, SeveralFieldsWithFloatAndEmptyKeys)
{
    ClientDataSet ds;
    makeItems(ds, {});
    addItem(ds, QStringLiteral("P1"), QStringLiteral("T"), 18.0);
    addItem(ds, QStringLiteral("P1"), QStringLiteral("F"), 7.0);
    addItem(ds, QStringLiteral("P2"), QStringLiteral("F"), 0.1 + 0.2);
    ds.Edit(); // P2 has an empty name and an empty kind
    ds.FieldByName(QStringLiteral("IDTIPO")).SetAsString(QString());
    ds.Post();

    ds.First();
    EXPECT_TRUE(ds.Locate(QStringLiteral("VRPRECO;IDTIPO"), Variant(QList<Variant>{7.0, "F"})));
    EXPECT_EQ(ds.RecNo(), 2);
    EXPECT_TRUE(ds.Locate(QStringLiteral("VRPRECO;IDTIPO"), Variant(QList<Variant>{"18,00", "T"})));
    EXPECT_EQ(ds.RecNo(), 1);
    EXPECT_TRUE(ds.Locate(QStringLiteral("CDPRODUTO; NMPRODUTO"), Variant(QList<Variant>{"P2", ""})));
    EXPECT_EQ(ds.RecNo(), 3);
    EXPECT_TRUE(ds.Locate(QStringLiteral("VRPRECO"), 0.3));
    EXPECT_FALSE(ds.Locate(QStringLiteral("CDPRODUTO;IDTIPO"), Variant(QList<Variant>{"P1"})));
}

TEST(ClientDataSetLocate, CaseInsensitiveAndPartialOptions)
{
    ClientDataSet ds;
    makeItems(ds, {"Açaí", "BATATA"});
    EXPECT_FALSE(ds.Locate(QStringLiteral("CDPRODUTO"), QStringLiteral("batata")));
    EXPECT_TRUE(ds.Locate(QStringLiteral("CDPRODUTO"), QStringLiteral("batata"), loCaseInsensitive));
    EXPECT_TRUE(ds.Locate(QStringLiteral("CDPRODUTO"), QString::fromUtf8("AÇA"),
                          loCaseInsensitive | loPartialKey));
    EXPECT_EQ(ds.RecNo(), 1);
    EXPECT_EQ(ds.Lookup(QStringLiteral("CDPRODUTO"), QStringLiteral("BATATA"), QStringLiteral("QTPRODUTO")),
              Variant(qint64(1)));
}

// ---- filters -------------------------------------------------------------------------------------

// A large table is searched through a key index: every change of its rows or of its view
// must show in the next search exactly as a row-by-row search would see it.
TEST(ClientDataSetLocate, LargeTablesAnswerAsARowByRowSearchAfterEveryChange)
{
    ClientDataSet ds;
    QStringList many;
    for (int n = 0; n < 200; ++n)
        many << QStringLiteral("P%1").arg(n % 150); // P0..P49 twice
    makeItems(ds, many);
    auto locate = [&](const char *code) {
        return ds.Locate(QStringLiteral("CDPRODUTO"), QString::fromLatin1(code)) ? ds.RecNo() : 0;
    };
    auto count = [&](const char *code) { return ds.KeyCount(QStringLiteral("CDPRODUTO"), QString::fromLatin1(code)); };

    EXPECT_EQ(locate("P10"), 11);
    EXPECT_EQ(count("P10"), 2);
    EXPECT_EQ(count("P120"), 1);
    EXPECT_EQ(locate("NONE"), 0);

    ds.SetRecNo(11); // the first P10 becomes X1
    ds.Edit();
    ds.FieldByName(QStringLiteral("CDPRODUTO")).SetAsString(QStringLiteral("X1"));
    ds.Post();
    EXPECT_EQ(locate("P10"), 161);
    EXPECT_EQ(count("P10"), 1);
    EXPECT_EQ(locate("X1"), 11);

    ds.First(); // deleting the first row moves every position up
    ds.Delete();
    EXPECT_EQ(locate("X1"), 10);

    addItem(ds, QStringLiteral("NEW"));
    EXPECT_EQ(locate("NEW"), ds.RecordCount());

    ds.SetFilter([](const ClientDataSet &row) {
        return row.FieldByName(QStringLiteral("CDPRODUTO")).AsString() != QLatin1String("X1");
    });
    ds.SetFiltered(true);
    EXPECT_EQ(locate("X1"), 0);
    EXPECT_EQ(count("P20"), 2);
    ds.SetFiltered(false);

    ds.SetIndexFieldNames(QStringLiteral("CDPRODUTO"));
    EXPECT_EQ(locate("NEW"), 1); // "NEW" sorts before every "P", "X1" after
    EXPECT_EQ(locate("X1"), ds.RecordCount());
    EXPECT_EQ(current(ds), QStringLiteral("X1"));

    ds.EmptyDataSet();
    EXPECT_EQ(count("P10"), 0);
}

TEST(ClientDataSetStamps, ARowsStampChangesWhenItIsPostedAndOnlyThen)
{
    ClientDataSet ds;
    makeItems(ds, abcd);
    ds.SetRecNo(2);
    const quint64 b = ds.RecordStamp();
    const quint64 changes = ds.ChangeStamp();
    ds.First();
    ds.SetRecNo(2);
    EXPECT_EQ(ds.RecordStamp(), b);
    EXPECT_EQ(ds.ChangeStamp(), changes); // moving is not a change

    ds.SetRecNo(3);
    const quint64 c = ds.RecordStamp();
    EXPECT_NE(c, b);
    ds.Edit();
    ds.FieldByName(QStringLiteral("IDTIPO")).SetAsString(QStringLiteral("S"));
    ds.Post();
    EXPECT_NE(ds.RecordStamp(), c);
    EXPECT_GT(ds.ChangeStamp(), changes);
    ds.SetRecNo(2);
    EXPECT_EQ(ds.RecordStamp(), b);
}

class Filtering : public testing::Test
{
protected:
    void SetUp() override
    {
        defineItems(ds);
        ds.CreateDataSet();
        addItem(ds, QStringLiteral("A"), QStringLiteral("E"));
        addItem(ds, QStringLiteral("B"), QStringLiteral("T"));
        addItem(ds, QStringLiteral("C"), QStringLiteral("E"));
        addItem(ds, QStringLiteral("D"), QStringLiteral("X"));
        ds.SetFilter([](const ClientDataSet &row) {
            const QString kind = row.FieldByName(QStringLiteral("IDTIPO")).AsString();
            return kind == QLatin1String("E") || kind == QLatin1String("T");
        });
    }
    ClientDataSet ds;
};

TEST_F(Filtering, SwitchIsSeparateFromThePredicate)
{
    EXPECT_EQ(ds.RecordCount(), 4); // a predicate alone filters nothing
    ds.SetFiltered(true);
    EXPECT_EQ(codes(ds), (QStringList{"A", "B", "C"}));
    EXPECT_EQ(ds.RecordCount(), 3);
    EXPECT_EQ(ds.Data().rows.size(), 4); // the packet holds the hidden rows too
    ds.SetFiltered(false);
    EXPECT_EQ(ds.RecordCount(), 4);
    ds.SetFiltered(true); // the predicate stayed
    EXPECT_EQ(ds.RecordCount(), 3);
    EXPECT_FALSE(ds.Locate(QStringLiteral("CDPRODUTO"), QStringLiteral("D")));
}

TEST_F(Filtering, DeleteWhileFilteredTouchesOnlyVisibleRows)
{
    ds.SetFiltered(true);
    ds.First();
    while (!ds.Eof()) {
        if (ds.FieldByName(QStringLiteral("IDTIPO")).AsString() == QLatin1String("E"))
            ds.Delete();
        else
            ds.Next();
    }
    EXPECT_EQ(codes(ds), QStringList{"B"});
    ds.SetFiltered(false);
    EXPECT_EQ(codes(ds), (QStringList{"B", "D"}));
}

TEST_F(Filtering, APostedRowThatLeavesTheFilterTakesTheCursorToTheNext)
{
    ds.SetFiltered(true);
    ds.First();
    ds.Edit();
    ds.FieldByName(QStringLiteral("IDTIPO")).SetAsString(QStringLiteral("X"));
    ds.Post();
    EXPECT_EQ(current(ds), QStringLiteral("B"));
    EXPECT_EQ(ds.RecordCount(), 2);
    ds.Append(); // a new hidden row leaves the cursor on a visible one
    ds.FieldByName(QStringLiteral("IDTIPO")).SetAsString(QStringLiteral("X"));
    ds.Post();
    EXPECT_EQ(ds.RecordCount(), 2);
    EXPECT_TRUE(ds.Eof());
}

// ---- indexes -------------------------------------------------------------------------------------

TEST(ClientDataSetIndex, EqualKeysKeepTheOrderTheyWereAdded)
{
    ClientDataSet ds;
    defineItems(ds);
    ds.SetIndexFieldNames(QStringLiteral("DTINCLUSAO"));
    ds.CreateDataSet();
    const QDateTime t1(QDate(2024, 5, 1), QTime(12, 0));
    const QDateTime t0 = t1.addSecs(-60);
    const QList<std::pair<QString, QDateTime>> rows = {
        {"a", t1}, {"b", t1}, {"c", t0}, {"d", t1}, {"e", t0}};
    for (const auto &[code, stamp] : rows) {
        ds.Insert(); // the index decides the place, not the cursor
        ds.FieldByName(QStringLiteral("CDPRODUTO")).SetAsString(code);
        ds.FieldByName(QStringLiteral("DTINCLUSAO")).SetAsDateTime(stamp);
        ds.Post();
        EXPECT_EQ(current(ds), code);
    }
    EXPECT_EQ(codes(ds), (QStringList{"c", "e", "a", "b", "d"}));
    ds.Locate(QStringLiteral("CDPRODUTO"), QStringLiteral("a"));
    ds.Edit(); // editing another field leaves the order alone
    ds.FieldByName(QStringLiteral("NMPRODUTO")).SetAsString(QStringLiteral("editado"));
    ds.Post();
    EXPECT_EQ(codes(ds), (QStringList{"c", "e", "a", "b", "d"}));
    ds.Locate(QStringLiteral("CDPRODUTO"), QStringLiteral("c"));
    ds.Edit(); // a changed key moves the row and the cursor follows it
    ds.FieldByName(QStringLiteral("DTINCLUSAO")).SetAsDateTime(t1.addSecs(60));
    ds.Post();
    EXPECT_EQ(current(ds), QStringLiteral("c"));
    EXPECT_EQ(ds.RecNo(), 5);
}

TEST(ClientDataSetIndex, NamedCaseInsensitiveIndexSelectedAndCleared)
{
    ClientDataSet ds;
    ds.FieldDefs().Add(QStringLiteral("NRSEQ"), FieldType::String, 3);
    ds.FieldDefs().Add(QStringLiteral("NRORDITEM"), FieldType::Integer);
    ds.CreateDataSet();
    const QList<std::pair<QString, int>> rows = {{"b", 2}, {"A", 1}, {"a", 0}, {"B", 1}, {"b", 1}};
    for (const auto &[seq, order] : rows) {
        ds.Append();
        ds.FieldByName(QStringLiteral("NRSEQ")).SetAsString(seq);
        ds.FieldByName(QStringLiteral("NRORDITEM")).SetAsInteger(order);
        ds.Post();
    }
    const auto keys = [&ds] {
        QStringList seen;
        for (ds.First(); !ds.Eof(); ds.Next())
            seen << ds.FieldByName(QStringLiteral("NRSEQ")).AsString()
                        + ds.FieldByName(QStringLiteral("NRORDITEM")).AsString();
        return seen;
    };
    ASSERT_TRUE(ds.AddIndex(QStringLiteral("Indice"), QStringLiteral("NRSEQ;NRORDITEM"), ixCaseInsensitive));
    ASSERT_TRUE(ds.SetIndexName(QStringLiteral("Indice")));
    EXPECT_EQ(keys(), (QStringList{"a0", "A1", "B1", "b1", "b2"}));
    ds.SetIndexName(QString());
    EXPECT_EQ(keys(), (QStringList{"b2", "A1", "a0", "B1", "b1"}));
    ds.SetIndexName(QStringLiteral("Indice"));
    ds.ClearIndexDefs(); // deselects the index too
    EXPECT_TRUE(ds.IndexName().isEmpty());
    EXPECT_EQ(keys(), (QStringList{"b2", "A1", "a0", "B1", "b1"}));
    EXPECT_FALSE(ds.SetIndexName(QStringLiteral("Indice")));
    EXPECT_FALSE(ds.SetIndexFieldNames(QStringLiteral("NAOEXISTE")));
}

// ---- packets ------------------------------------------------------------------------------------

TEST(ClientDataSetData, RoundTripsThroughDataWithTypesSizesAndNulls)
{
    ClientDataSet source;
    makeItems(source, {QString::fromUtf8("Pão de queijo"), "B"});
    source.Last();
    source.Edit();
    source.FieldByName(QStringLiteral("VRPRECO")).Clear();
    source.FieldByName(QStringLiteral("DTINCLUSAO")).SetAsDateTime(QDateTime(QDate(2024, 1, 31), QTime(13, 45, 10, 120)));
    source.Post();

    ClientDataSet copy;
    ASSERT_TRUE(copy.CopyFrom(source));
    EXPECT_EQ(copy.Data(), source.Data());
    EXPECT_EQ(copy.FieldByName(QStringLiteral("CDPRODUTO")).Size(), 10);
    EXPECT_EQ(copy.FieldByName(QStringLiteral("VRPRECO")).DataType(), FieldType::Currency);
    copy.Last();
    EXPECT_TRUE(copy.FieldByName(QStringLiteral("VRPRECO")).IsNull());
    copy.First();
    EXPECT_EQ(current(copy), QString::fromUtf8("Pão de que")); // cut at 10 characters
}

TEST(ClientDataSetData, ABadPacketLeavesTheDataSetAsItWas)
{
    ClientDataSet ds;
    makeItems(ds, abcd);
    ds.Locate(QStringLiteral("CDPRODUTO"), QStringLiteral("C"));
    DataPacket bad = ds.Data();
    bad.rows[2].removeLast();
    QString error;
    EXPECT_FALSE(ds.SetData(bad, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("row 3")));
    bad = ds.Data();
    bad.rows[1][4] = Variant(QStringLiteral("muitos"));
    EXPECT_FALSE(ds.SetData(bad, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("QTPRODUTO")));
    EXPECT_EQ(current(ds), QStringLiteral("C"));
    EXPECT_EQ(codes(ds), abcd);
}

// ---- events -------------------------------------------------------------------------------------

TEST(ClientDataSetEvents, BeforePostSeesTheRowAndMayAbort)
{
    ClientDataSet ds;
    defineItems(ds);
    ds.CreateDataSet();
    double running = 0;
    ds.BeforePost = [&running](ClientDataSet &row) {
        if (row.FieldByName(QStringLiteral("CDPRODUTO")).AsString() == QLatin1String("recusado"))
            Abort();
        running += row.FieldByName(QStringLiteral("VRPRECO")).AsFloat();
        row.FieldByName(QStringLiteral("NMPRODUTO")).SetAsString(QString::number(running));
    };
    int afterPosts = 0;
    ds.AfterPost = [&afterPosts](ClientDataSet &) { ++afterPosts; };
    addItem(ds, QStringLiteral("A"), QStringLiteral("E"), 2);
    addItem(ds, QStringLiteral("B"), QStringLiteral("E"), 3);
    EXPECT_EQ(ds.FieldByName(QStringLiteral("NMPRODUTO")).AsString(), QStringLiteral("5"));
    ds.Append();
    ds.FieldByName(QStringLiteral("CDPRODUTO")).SetAsString(QStringLiteral("recusado"));
    EXPECT_THROW(ds.Post(), EAbort);
    EXPECT_EQ(ds.State(), DataSetState::Insert);
    ds.Cancel();
    EXPECT_EQ(ds.RecordCount(), 2);
    EXPECT_EQ(afterPosts, 2);
}

TEST(ClientDataSetEvents, DataSourceSeesPostsDeletesScrollsAndStates)
{
    ClientDataSet ds;
    makeItems(ds, abcd);
    QStringList events;
    auto source = std::make_unique<DataSource>(&ds);
    source->OnDataChange = [&events](const QString &field) { events << (field.isEmpty() ? "row" : field); };
    source->OnStateChange = [&events, &ds] { events << QStringLiteral("state%1").arg(int(ds.State())); };

    ds.Next();
    ds.Edit();
    ds.FieldByName(QStringLiteral("VRPRECO")).SetAsFloat(2);
    ds.Post();
    ds.Delete();
    ds.Next(); // C -> D
    ds.Next(); // at the end already: no change
    EXPECT_EQ(events, (QStringList{"row", "state2", "VRPRECO", "state1", "row", "row", "row"}));

    events.clear();
    ds.DisableControls();
    ds.First();
    ds.Next();
    EXPECT_TRUE(events.isEmpty());
    ds.EnableControls();
    EXPECT_EQ(events, QStringList{"row"});

    source.reset(); // a source may go first...
    ds.Next();
    DataSource late(&ds);
    {
        ClientDataSet shortLived;
        late.SetDataSet(&shortLived);
    } // ...or the dataset
    EXPECT_EQ(late.DataSet(), nullptr);
}

TEST(ClientDataSetEvents, CalculatedFieldsAreComputedPerRowAndNotStored)
{
    ClientDataSet ds;
    defineItems(ds);
    ds.FieldDefs().AddCalculated(QStringLiteral("VRTOTAL"), FieldType::Double);
    ds.OnCalcFields = [](ClientDataSet &row) {
        row.FieldByName(QStringLiteral("VRTOTAL"))
            .SetAsFloat(row.FieldByName(QStringLiteral("VRPRECO")).AsFloat()
                        * row.FieldByName(QStringLiteral("QTPRODUTO")).AsInteger());
    };
    ds.CreateDataSet();
    addItem(ds, QStringLiteral("A"), QStringLiteral("E"), 2.5, 2);
    addItem(ds, QStringLiteral("B"), QStringLiteral("E"), 1.0, 3);
    double sum = 0;
    for (ds.First(); !ds.Eof(); ds.Next())
        sum += ds.FieldByName(QStringLiteral("VRTOTAL")).AsFloat();
    EXPECT_DOUBLE_EQ(sum, 8.0);
    EXPECT_EQ(ds.Data().fields.size(), 6);
    EXPECT_TRUE(ds.Locate(QStringLiteral("VRTOTAL"), 3.0));
    EXPECT_EQ(current(ds), QStringLiteral("B"));
}

// ---- display --------------------------------------------------------------------------------------

struct DisplayCase
{
    const char *name;
    FieldType type;
    QString format;
    Variant value;
    QString text;
};

class DisplayText : public testing::TestWithParam<DisplayCase>
{
};

TEST_P(DisplayText, FollowsTheFieldFormatInPtBr)
{
    const DisplayCase &c = GetParam();
    ClientDataSet ds;
    ds.FieldDefs().Add(QStringLiteral("VALOR"), c.type, 20);
    ds.CreateDataSet();
    ds.FieldByName(QStringLiteral("VALOR")).SetDisplayFormat(c.format);
    ds.Append();
    ds.FieldByName(QStringLiteral("VALOR")).SetValue(c.value);
    ds.Post();
    EXPECT_EQ(ds.FieldByName(QStringLiteral("VALOR")).DisplayText(), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Display, DisplayText,
    testing::Values(
        DisplayCase{"TwoDecimals", FieldType::Double, "0.00", 1234.5, "1234,50"},
        DisplayCase{"Thousands", FieldType::Double, "#,##0.00", 1234567.891, "1.234.567,89"},
        DisplayCase{"ThreeDecimals", FieldType::Double, "0.000", 0.0005, "0,001"},
        DisplayCase{"HalfUpOnPrintedDigits", FieldType::Double, "0.00", 1.005, "1,01"},
        DisplayCase{"NegativeSmall", FieldType::Double, "#,##0.00", -0.5, "-0,50"},
        DisplayCase{"RoundsToZero", FieldType::Double, "0.00", -0.001, "0,00"},
        DisplayCase{"CarryGrowsDigits", FieldType::Double, "#,##0.00", 999.999, "1.000,00"},
        DisplayCase{"Literal", FieldType::Double, "\"R$ \"#,##0.00", 3.0, "R$ 3,00"},
        DisplayCase{"Currency", FieldType::Currency, "", 1234.56, "R$ 1.234,56"},
        DisplayCase{"NegativeCurrency", FieldType::Currency, "", -1234.5, "-R$ 1.234,50"},
        DisplayCase{"PlainDouble", FieldType::Double, "", 2.5, "2,5"},
        DisplayCase{"IntegerFormatted", FieldType::Integer, "#,##0", 1234567, "1.234.567"},
        DisplayCase{"Null", FieldType::Double, "0.00", Variant::null(), ""},
        DisplayCase{"Date", FieldType::DateTime, "", QDateTime(QDate(2024, 2, 9), QTime(0, 0)), "09/02/2024"}),
    [](const testing::TestParamInfo<DisplayCase> &info) { return std::string(info.param.name); });

TEST(ClientDataSetDisplay, GetTextHandlerAndPresentationSurviveData)
{
    ClientDataSet ds;
    ds.FieldDefs().Add(QStringLiteral("IDPARAVIAGEM"), FieldType::String, 1);
    ds.CreateDataSet();
    Field field = ds.FieldByName(QStringLiteral("IDPARAVIAGEM"));
    field.SetOnGetText([](const Field &f) {
        return f.AsString() == QLatin1String("S") ? QStringLiteral("Sim") : QString::fromUtf8("Não");
    });
    field.SetDisplayLabel(QStringLiteral("Viagem"));
    field.SetVisible(false);
    ds.Append();
    ds.FieldByName(QStringLiteral("IDPARAVIAGEM")).SetAsString(QStringLiteral("S"));
    ds.Post();
    ASSERT_TRUE(ds.SetData(ds.Data()));
    const Field again = ds.FieldByName(QStringLiteral("idparaviagem"));
    EXPECT_EQ(again.DisplayText(), QStringLiteral("Sim"));
    EXPECT_EQ(again.DisplayLabel(), QStringLiteral("Viagem"));
    EXPECT_FALSE(again.Visible());
    ds.Edit();
    ds.FieldByName(QStringLiteral("IDPARAVIAGEM")).Clear();
    EXPECT_EQ(again.DisplayText(), QString::fromUtf8("Não"));
}
