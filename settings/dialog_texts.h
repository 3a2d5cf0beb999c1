// String resources of the settings dialog: the texts it shows, kept in the resources
// (resources/dialog_texts.rc) in Traditional Chinese. Plain defines, read by the resource
// compiler and the code alike.
#pragma once

#define WD_TEXT_CAPTION 1000
#define WD_TEXT_PAGE_SETTINGS 1001
#define WD_TEXT_PAGE_STATISTICS 1002
#define WD_TEXT_RESET_QUESTION 1003
#define WD_TEXT_PAGE_TREND 1005
#define WD_TEXT_TREND_CHART 1040

#define WD_TEXT_LABEL5 1010
#define WD_TEXT_LABEL6 1011
#define WD_TEXT_LABEL7 1012
#define WD_TEXT_LABEL8 1013
#define WD_TEXT_AUTO_SNTP 1014
#define WD_TEXT_SNTP_FAILS 1015
#define WD_TEXT_TIME_ZONE_LABEL 1016

#define WD_TEXT_GROUP_BOX1 1020
#define WD_TEXT_LABEL1 1021
#define WD_TEXT_LABEL4 1022
#define WD_TEXT_LABEL2 1023
#define WD_TEXT_LABEL3 1024
#define WD_TEXT_BLANK_LINE 1025
#define WD_TEXT_RESET 1026

#define WD_TEXT_OK 1030
#define WD_TEXT_CLOSE 1031
#define WD_TEXT_CANCEL 1032
