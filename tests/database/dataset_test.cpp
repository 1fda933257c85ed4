#include "database/dataset.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace varendo::db;

namespace {

class DatasetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        con = std::make_shared<Connection>();
        con->open(dir.filePath("t.db"), Connection::Mode::CreateIfMissing);
        con->exec("CREATE TABLE book1 (ID INTEGER PRIMARY KEY AUTOINCREMENT, 课本号 varchar(1), 课程编号 varchar(3), "
                  "课程状态 varchar(8), 课程名 TEXT)");
        const char* rows[][3] = {{"1", "1", "未学习"}, {"1", "3", "学习中"}, {"2", "1", "学习中"}, {"2", "007", "已学习"}};
        for (auto& r : rows)
            con->exec("insert into book1 (课本号, 课程编号, 课程状态) values (?, ?, ?)", {r[0], r[1], r[2]});
    }
    QTemporaryDir dir;
    ConnectionPtr con;
};

} // namespace

TEST_F(DatasetTest, WalksRowsInTableOrder)
{
    Query q(con);
    q.SetSQL("select * from book1");
    q.Open();
    EXPECT_EQ(q.RecordCount(), 4);
    EXPECT_EQ(q.RecNo(), 1);
    QStringList numbers;
    for (q.First(); !q.Eof(); q.Next())
        numbers << q.FieldByName("课程编号").AsString();
    EXPECT_EQ(numbers, QStringList({"1", "3", "1", "007"}));
    EXPECT_EQ(q.RecNo(), 4); // past the end stays on the last record number
    q.SetRecNo(2);
    EXPECT_EQ(q.FieldByName("课程编号").AsInteger(), 3);
    EXPECT_THROW(q.SetRecNo(5), DatabaseError);
    EXPECT_THROW(q.SetRecNo(0), DatabaseError);
}

TEST_F(DatasetTest, FieldReadsConvertAndNullsReadAsEmptyOrZero)
{
    Query q(con);
    q.SetSQL("select * from book1 where 课程编号=?", {"007"});
    q.Open();
    ASSERT_EQ(q.RecordCount(), 1);
    EXPECT_EQ(q.FieldByName("课程编号").AsString(), "007"); // text stays as stored
    EXPECT_EQ(q.FieldByName("课程编号").AsInteger(), 7);
    EXPECT_DOUBLE_EQ(q.FieldByName("课本号").AsFloat(), 2.0);
    EXPECT_EQ(q.FieldByName("课程名").AsString(), "");
    EXPECT_EQ(q.FieldByName("课程名").AsInteger(), 0);
}

TEST_F(DatasetTest, BadFieldsAndNumbersAreClearErrors)
{
    Query q(con);
    q.SetSQL("select * from book1");
    q.Open();
    EXPECT_THROW(q.FieldByName("没有这个字段"), DatabaseError);
    EXPECT_THROW(q.FieldByName("课程状态").AsInteger(), DatabaseError);
    EXPECT_EQ(q.FieldByName("id").AsInteger(), 1); // names compare without case

    Query empty(con);
    empty.SetSQL("select * from book1 where 课本号=?", {"4"});
    empty.Open();
    EXPECT_TRUE(empty.Eof());
    EXPECT_EQ(empty.RecNo(), 0);
    EXPECT_THROW(empty.FieldByName("课程编号").AsString(), DatabaseError);

    Query broken(con);
    broken.SetSQL("select * from nowhere");
    EXPECT_THROW(broken.Open(), DatabaseError);
    broken.SetSQL("select * from book1 where 课本号=?", {});
    EXPECT_THROW(broken.Open(), DatabaseError);
}

TEST_F(DatasetTest, LocateFindsTheFirstExactMatchOrStays)
{
    Query q(con);
    q.SetSQL("select * from book1");
    q.Open();
    q.SetRecNo(4);
    ASSERT_TRUE(q.Locate("课程状态", "学习中"));
    EXPECT_EQ(q.RecNo(), 2);
    EXPECT_FALSE(q.Locate("课程状态", "待温习"));
    EXPECT_EQ(q.RecNo(), 2);
    EXPECT_FALSE(q.Locate("课程编号", "7")); // exact text, no conversion
}

TEST_F(DatasetTest, EditAndPostChangeTheStoredRow)
{
    Query q(con);
    q.SetSQL("select * from book1 where 课本号=?", {"2"});
    q.Open();
    q.SetRecNo(2);
    EXPECT_THROW(q.FieldByName("课程状态").SetAsString("待温习"), DatabaseError); // not editing
    q.Edit();
    q.FieldByName("课程状态").SetAsString("待温习");
    q.FieldByName("课程名").SetAsInteger(42);
    EXPECT_EQ(q.FieldByName("课程状态").AsString(), "待温习"); // the edit shows before the post
    q.Post();
    EXPECT_EQ(q.FieldByName("课程名").AsString(), "42");

    Query check(con);
    check.SetSQL("select * from book1");
    check.Open();
    ASSERT_TRUE(check.Locate("课程编号", "007"));
    EXPECT_EQ(check.FieldByName("课程状态").AsString(), "待温习");
    EXPECT_EQ(check.FieldByName("课程名").AsString(), "42");
    // Other rows are untouched.
    check.First();
    EXPECT_EQ(check.FieldByName("课程状态").AsString(), "未学习");

    // Moving away posts a pending edit, as the walk-and-change loops expect.
    q.Edit();
    q.FieldByName("课程状态").SetAsString("学习中");
    q.First();
    q.SetRecNo(2);
    EXPECT_EQ(q.FieldByName("课程状态").AsString(), "学习中");
    Query stored(con);
    stored.SetSQL("select * from book1 where 课程编号=?", {"007"});
    stored.Open();
    EXPECT_EQ(stored.FieldByName("课程状态").AsString(), "学习中");
    // Cancel drops it.
    q.Edit();
    q.FieldByName("课程状态").SetAsString("未学习");
    q.Cancel();
    q.First();
    q.SetRecNo(2);
    EXPECT_EQ(q.FieldByName("课程状态").AsString(), "学习中");
}
