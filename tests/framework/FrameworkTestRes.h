// tests/framework/FrameworkTestRes.h
// String ids of the framework test program's own resources (FrameworkTest.rc).
#ifndef TAVISK_TESTS_FRAMEWORK_FRAMEWORKTESTRES_H
#define TAVISK_TESTS_FRAMEWORK_FRAMEWORKTESTRES_H

#define IDS_TEST_SHORT 1
#define IDS_TEST_LONG 2
#define IDS_TEST_CRLF 3
#define IDS_TEST_MISSING 5
#define IDS_TEST_FORMAT 17
#define IDS_TEST_RANGE 0xF100

// Length of IDS_TEST_LONG
#define TEST_LONG_LENGTH 708

#endif
