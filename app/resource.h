// Ids of the program's resources (zerrick.rc).
#pragma once

#define IDS_APP_TITLE 103
#define IDI_ZERRICK 107
#define IDI_SMALL 108
#define IDC_ZERRICK 109
