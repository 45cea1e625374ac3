// Every way the object store can fail an upload or a delete. The store's verdict is its status and
// its replies carry nothing else the client needs, so the faults are those of the connection and
// the status, and bodies the client must not wait for or hold.
#include "host/CQOVResNewWS.h"
#include "support/FaultMatrix.h"
#include "support/FaultyServer.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::chrono_literals;

const char* const kPrefix = "/fault-bucket/";

enum class Operation { Upload, Delete };
constexpr const char* kOperations[] = {"Upload", "Delete"};

struct Verdict
{
    bool succeeds;
    int status; // the store's status the client saw, 0 for none
};

using Cell = FaultCell<Operation, kOperations, Verdict>;

const Cell kCells[] = {
    {Operation::Upload, Fault::Refused, {false, 0}},
    {Operation::Upload, Fault::Status500, {false, 500}},
    {Operation::Upload, Fault::Slow, {false, 0}},
    // Status 200 is the store's yes, whatever follows it.
    {Operation::Upload, Fault::NotJson, {true, 200}},
    {Operation::Upload, Fault::Truncated, {true, 200}},
    {Operation::Upload, Fault::ClosedMidReply, {true, 200}},
    {Operation::Upload, Fault::Huge, {true, 200}},
    {Operation::Delete, Fault::Refused, {false, 0}},
    {Operation::Delete, Fault::Status500, {false, 500}},
    {Operation::Delete, Fault::Slow, {false, 0}},
    {Operation::Delete, Fault::NotJson, {true, 200}},
    {Operation::Delete, Fault::Truncated, {true, 200}},
    {Operation::Delete, Fault::ClosedMidReply, {true, 200}},
    {Operation::Delete, Fault::Huge, {true, 200}},
};

class ObjectStoreFaults : public ::testing::TestWithParam<Cell>
{
protected:
    void SetUp() override
    {
        m_store.Reset();
        QFile file(m_dir.filePath(QStringLiteral("audio.mp3")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(300000, 'a'));
        m_policy.endpoint = QStringLiteral("127.0.0.1:%1").arg(m_store.Server().Port());
        m_policy.accessKeyId = QStringLiteral("fault-ak");
        m_policy.secretAccessKey = QStringLiteral("fault-sk");
        m_policy.bucketName = QStringLiteral("fault-bucket");
        m_policy.localFilePath = file.fileName();
        m_policy.objectKey = QStringLiteral("4f1c_audio.mp3");
        m_client.SetTimeout(1s);
    }

    int Run(Operation operation)
    {
        return operation == Operation::Upload ? m_client.huaweiObsUploadFile(m_policy)
                                              : m_client.huaweiObsDeleteFile(m_policy);
    }

    static const char* Method(Operation operation) { return operation == Operation::Upload ? "PUT" : "DELETE"; }

    FaultyServer m_store;
    QTemporaryDir m_dir;
    SHuaweiObsPolicy m_policy;
    CQOVResNewWS m_client;
};

TEST_P(ObjectStoreFaults, EndWithTheStoresVerdictWithinTheTimeOut)
{
    const Cell& cell = GetParam();
    m_store.ServePrefix(Method(cell.step), kPrefix, cell.fault, std::string(4096, ' '), "", "application/xml");
    EXPECT_EQ(Run(cell.step) != 0, cell.expect.succeeds) << m_client.LastError().toStdString();
    EXPECT_EQ(m_client.LastStatus(), cell.expect.status);
    EXPECT_EQ(m_client.LastError().isEmpty(), cell.expect.succeeds) << m_client.LastError().toStdString();
    if (cell.fault == Fault::Huge) {
        EXPECT_LT(m_store.HugeBytesSent(), FaultyServer::kHugeBytes / 2) << "the body was received all the same";
    }
}

INSTANTIATE_TEST_SUITE_P(Matrix, ObjectStoreFaults, ::testing::ValuesIn(kCells), Cell::TestName);

// An error page of any size says no; its first lines go to the trace, the rest is not received.
TEST_F(ObjectStoreFaults, AHugeErrorPageIsARefusalAndIsNotReceived)
{
    for (const Operation operation : {Operation::Upload, Operation::Delete}) {
        m_store.ServeHugeStatus(Method(operation), kPrefix, 403);
        EXPECT_EQ(Run(operation), 0);
        EXPECT_EQ(m_client.LastStatus(), 403);
        EXPECT_LT(m_store.HugeBytesSent(), FaultyServer::kHugeBytes / 2);
    }
}

} // namespace
