// Ids of the test dialog templates and their items, shared by the resource script and the tests.
#pragma once

#define TEST_DIALOG_FULL 100
#define TEST_DIALOG_OK_ONLY 200

#define TEST_ITEM_EDIT 101
#define TEST_ITEM_CHECK 102
#define TEST_ITEM_LABEL 103
#define TEST_ITEM_COMBO 104
#define TEST_ITEM_PROGRESS 105
#define TEST_ITEM_SORTED_COMBO 106
#define TEST_ITEM_MISSING 999
