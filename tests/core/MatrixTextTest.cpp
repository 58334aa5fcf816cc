// Checks of the "Matrix" text form: the positional rows of version 0 and the keyed columns of later ones.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

#include "core/IStreamWrapper.h"
#include "core/Matrix.h"
#include "core/SerializeType.h"
#include "core/TextFormat.h"

namespace {

// Reads one matrix object (class name, version, body) from text, and what follows it.
struct ReadResult {
    Matrix matrix;
    std::string next;
    bool failed = false;
    std::string errors;
};

ReadResult readMatrix(const std::string& text, Matrix start = Matrix()) {
    ReadResult result;
    result.matrix = start;
    std::istringstream source(text);
    IStreamWrapper in(source, "matrix text");
    testing::internal::CaptureStderr();
    readValue(in, result.matrix);
    in.readToken(result.next);
    result.errors = testing::internal::GetCapturedStderr();
    result.failed = in.hasFailed();
    return result;
}

void expectColumns(const Matrix& m, Vector4 c0, Vector4 c1, Vector4 c2, Vector4 c3) {
    EXPECT_EQ(m.columns[0], c0);
    EXPECT_EQ(m.columns[1], c1);
    EXPECT_EQ(m.columns[2], c2);
    EXPECT_EQ(m.columns[3], c3);
}

}  // namespace

TEST(MatrixTextTest, RegisteredUnderItsClassName) {
    Type* type = findType("Matrix");
    ASSERT_NE(type, nullptr);
    EXPECT_EQ(type->getName(), "Matrix");
    EXPECT_FALSE(type->isComponent());
    EXPECT_FALSE(type->isGameStateComponent());
    EXPECT_FALSE(type->isLogic());
    EXPECT_FALSE(type->isPattern());
    Matrix* created = static_cast<Matrix*>(type->create());
    EXPECT_EQ(*created, Matrix());
    type->destroy(created);
}

TEST(MatrixTextTest, VersionZeroReadsRows) {
    ReadResult r = readMatrix("Matrix 0\n1 0 0 5\n0 1 0 6\n0 0 1 7\n0 0 0 1\nnext");
    EXPECT_FALSE(r.failed) << r.errors;
    EXPECT_EQ(r.matrix, Matrix::makeTranslation(Vector4(5, 6, 7, 0)));
    EXPECT_EQ(r.next, "next");

    r = readMatrix("Matrix 0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16");
    expectColumns(r.matrix, Vector4(1, 5, 9, 13), Vector4(2, 6, 10, 14), Vector4(3, 7, 11, 15),
                  Vector4(4, 8, 12, 16));
}

TEST(MatrixTextTest, KeyedColumnsInAnyOrder) {
    ReadResult r = readMatrix(
        "Matrix 1\n"
        "\tcolumn3 5 6 7 1\n"
        "\t// a comment line between keys\n"
        "\tcolumn0 2 0 0 0\n"
        "end next");
    EXPECT_FALSE(r.failed) << r.errors;
    expectColumns(r.matrix, Vector4(2, 0, 0, 0), Vector4(0, 1, 0, 0), Vector4(0, 0, 1, 0), Vector4(5, 6, 7, 1));
    EXPECT_EQ(r.next, "next");

    r = readMatrix("Matrix 2 column0 1 2 3 4 column1 5 6 7 8 column2 9 10 11 12 column3 13 14 15 16 end next");
    expectColumns(r.matrix, Vector4(1, 2, 3, 4), Vector4(5, 6, 7, 8), Vector4(9, 10, 11, 12),
                  Vector4(13, 14, 15, 16));
    EXPECT_EQ(r.next, "next");
}

TEST(MatrixTextTest, EndFirstKeepsEveryColumn) {
    Matrix start = Matrix::makeScale(Vector4(2, 3, 4, 0));
    ReadResult r = readMatrix("Matrix 1 end next", start);
    EXPECT_FALSE(r.failed);
    EXPECT_EQ(r.matrix, start);
    EXPECT_EQ(r.next, "next");
}

TEST(MatrixTextTest, UnknownKeyIsReportedAndSkippedWithItsValue) {
    ReadResult r = readMatrix("Matrix 1 column1 0 2 0 0 row7 1 1 1 1 column2 0 0 3 0 end next");
    EXPECT_FALSE(r.failed);
    EXPECT_NE(r.errors.find("row7"), std::string::npos) << r.errors;
    EXPECT_EQ(r.next, "next");
    expectColumns(r.matrix, Vector4(1, 0, 0, 0), Vector4(0, 2, 0, 0), Vector4(0, 0, 3, 0), Vector4(0, 0, 0, 1));
}

TEST(MatrixTextTest, TruncatedInputEnds) {
    ReadResult r = readMatrix("Matrix 1 column0 9 8");
    EXPECT_TRUE(r.failed);
    EXPECT_EQ(r.matrix.columns[0].x(), 9.0f);
    EXPECT_FALSE(r.errors.empty());

    r = readMatrix("Matrix 0 1 2 3");
    EXPECT_EQ(r.matrix.get(0, 0), 1.0f);
    EXPECT_EQ(r.matrix.get(0, 1), 2.0f);
    EXPECT_EQ(r.matrix.get(0, 2), 3.0f);
    EXPECT_EQ(r.matrix.get(3, 3), 1.0f) << "values not given keep theirs";
}

TEST(MatrixTextTest, ReadThroughTheRegistryAsAPointer) {
    std::istringstream source("Matrix 0 1 0 0 5 0 1 0 6 0 0 1 7 0 0 0 1 NULL");
    IStreamWrapper in(source, "pointer text");
    std::unique_ptr<Matrix> pointer;
    readValue(in, pointer);
    ASSERT_NE(pointer, nullptr);
    EXPECT_EQ(pointer->transform(Vector4(0, 0, 0, 1)), Vector4(5, 6, 7, 1));
    readValue(in, pointer);
    EXPECT_EQ(pointer, nullptr);
}
