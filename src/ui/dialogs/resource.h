// The numbers of the dialogs, menus, controls, menu commands and strings in resources/, by name.
// The templates and the widgets' object names keep the numbers; code names them through these.
// kResourceNames lists every one, so that a test can hold the names and the templates together.
#pragma once

#include <string_view>

// Dialog templates (dialogNNN.txt).
inline constexpr int IDD_KESTRIM_DIALOG = 102;
inline constexpr int IDD_DELETE_DATA = 146;

// Popup menus (menuNNN.txt).
inline constexpr int IDR_MENU_RECORD_LIST = 145;
inline constexpr int IDR_MENU_LINE = 147;

// Controls of the main window (dialog102.txt).
inline constexpr int IDC_RADIO_CELSIUS = 1000;
inline constexpr int IDC_RADIO_FAHRENHEIT = 1001;
inline constexpr int IDC_RADIO_SURFACE_MODE = 1002;
inline constexpr int IDC_RADIO_BODY_MODE = 1003;
inline constexpr int IDC_RADIO_COUNT_MODE = 1004;
inline constexpr int IDC_SERIAL = 1006;
inline constexpr int IDC_COMBO_COM = 1007;
inline constexpr int IDC_BUTTON_CONNECT = 1008;
inline constexpr int IDC_STATIC_VERDICT = 1010;
inline constexpr int IDC_BUTTON_SAVE_AS = 1011;
inline constexpr int IDC_LIST_RECORDS = 1012;
inline constexpr int IDC_COMBO_ALARM = 1013;
inline constexpr int IDC_STATIC_STATUS = 1015;
inline constexpr int IDC_STATIC_COM = 1016;
inline constexpr int IDC_GROUP_SERIAL_PORT = 1017;
inline constexpr int IDC_GROUP_TEMP_FORMAT = 1018;
inline constexpr int IDC_GROUP_WORK_MODE = 1019;
inline constexpr int IDC_STATIC_TITLE = 1020;
inline constexpr int IDC_STATIC_ALARM_LIMIT = 1021;
inline constexpr int IDC_BUTTON_CHINESE = 1022;
inline constexpr int IDC_BUTTON_ENGLISH = 1023;
inline constexpr int IDC_BUTTON_ENVIRONMENT = 1024;
inline constexpr int IDC_EDIT_ACK = 1025;
inline constexpr int IDC_STATIC_SPARE = 1026;
inline constexpr int IDC_STATIC_UNIT = 1027;
inline constexpr int IDC_STATIC_READING = 1028;
inline constexpr int IDC_STATIC_POWER = 1031;
inline constexpr int IDC_PROGRESS_BATTERY = 1032;
inline constexpr int IDC_SLIDER_SPARE = 1033;
inline constexpr int IDC_STATIC_DEVICE_VOLUME = 1034;
inline constexpr int IDC_RADIO_BACKLIGHT_OFF = 1036;
inline constexpr int IDC_RADIO_BACKLIGHT_ON = 1037;
inline constexpr int IDC_RADIO_SWITCH_MODE = 1038;
inline constexpr int IDC_RADIO_PULSE_MODE = 1039;
inline constexpr int IDC_GROUP_BACKLIGHT = 1043;
inline constexpr int IDC_GROUP_OUTPUT_SIGNAL = 1044;
inline constexpr int IDC_COMBO_VOLUME = 1045;
inline constexpr int IDC_RADIO_R9 = 1049;
inline constexpr int IDC_RADIO_R9_PRO = 1050;
inline constexpr int IDC_SLIDER_SPEECH_SPEED = 1051;
inline constexpr int IDC_SLIDER_SPEECH_VOLUME = 1052;
inline constexpr int IDC_STATIC_SPEECH_SPEED = 1053;
inline constexpr int IDC_STATIC_SPEECH_VOLUME = 1054;

// Controls of the Delete Data dialog (dialog146.txt).
inline constexpr int IDC_LIST_DELETE = 1055;
inline constexpr int IDC_BUTTON_DEL = 1056;
inline constexpr int IDC_EDIT_START_LINE = 1057;
inline constexpr int IDC_EDIT_END_LINE = 1058;

// Menu commands (menu145.txt, menu147.txt).
inline constexpr int ID_SELECT_DELETE = 32780;
inline constexpr int ID_DELETE_ALL = 32781;
inline constexpr int ID_SET_START_LINE = 32782;
inline constexpr int ID_SET_STOP_LINE = 32783;

// The string table (strings.txt).
inline constexpr int IDS_FAHRENHEIT = 1001;
inline constexpr int IDS_SURFACE_MODE = 1002;
inline constexpr int IDS_BODY_MODE = 1003;
inline constexpr int IDS_COUNT_MODE = 1004;

// Where a number lives: its template file (by the template's own number) and what it is there.
enum class ResourceKind { Dialog, Control, Menu, Command, String };

struct ResourceName {
    std::string_view name;
    int id;
    ResourceKind kind;
    int file; // the dialog or menu number whose file holds it; 0 for dialogs, menus and strings
};

#define KESTRIM_RESOURCE(name, kind, file)                                                         \
    ResourceName                                                                                   \
    {                                                                                              \
#name, name, ResourceKind::kind, file                                                      \
    }
inline constexpr ResourceName kResourceNames[] = {
    KESTRIM_RESOURCE(IDD_KESTRIM_DIALOG, Dialog, 0),
    KESTRIM_RESOURCE(IDD_DELETE_DATA, Dialog, 0),
    KESTRIM_RESOURCE(IDR_MENU_RECORD_LIST, Menu, 0),
    KESTRIM_RESOURCE(IDR_MENU_LINE, Menu, 0),
    KESTRIM_RESOURCE(IDC_RADIO_CELSIUS, Control, IDD_KESTRIM_DIALOG),
    KESTRIM_RESOURCE(IDC_RADIO_FAHRENHEIT, Control, IDD_KESTRIM_DIALOG),
    KESTRIM_RESOURCE(IDC_RADIO_SURFACE_MODE, Control, IDD_KESTRIM_DIALOG),
    KESTRIM_RESOURCE(IDC_RADIO_BODY_MODE, Control, IDD_KESTRIM_DIALOG),
    KESTRIM_RESOURCE(IDC_RADIO_COUNT_MODE, Control, IDD_KESTRIM_DIALOG),
    KESTRIM_RESOURCE(IDC_SERIAL, Control, IDD_KESTRIM_DIALOG),
    KESTRIM_RESOURCE(IDC_COMBO_COM, Control, IDD_KESTRIM_DIALOG),
    KESTRIM_RESOURCE(IDC_BUTTON_CONNECT, Control, IDD_KESTRIM_DIALOG),
    KESTRIM_RESOURCE(IDC_STATIC_VERDICT, Control, IDD_KESTRIM_DIALOG),
    KESTRIM_RESOURCE(IDC_BUTTON_SAVE_AS, Control, IDD_KESTRIM_DIALOG),
    KESTRIM_RESOURCE(IDC_LIST_RECORDS, Control, IDD_KESTRIM_DIALOG),
    KESTRIM_RESOURCE(IDC_COMBO_ALARM, Control, IDD_KESTRIM_DIALOG),
    KESTRIM_RESOURCE(IDC_STATIC_STATUS, Control, IDD_KESTRIM_DIALOG),
    KESTRIM_RESOURCE(IDC_STATIC_COM, Control, IDD_KESTRIM_DIALOG),
    KESTRIM_RESOURCE(IDC_GROUP_SERIAL_PORT, Control, IDD_KESTRIM_DIALOG),
    KESTRIM_RESOURCE(IDC_GROUP_TEMP_FORMAT, Control, IDD_KESTRIM_DIALOG),
    KESTRIM_RESOURCE(IDC_GROUP_WORK_MODE, Control, IDD_KESTRIM_DIALOG),
    KESTRIM_RESOURCE(IDC_STATIC_TITLE, Control, IDD_KESTRIM_DIALOG),
    KESTRIM_RESOURCE(IDC_STATIC_ALARM_LIMIT, Control, IDD_KESTRIM_DIALOG),
    KESTRIM_RESOURCE(IDC_BUTTON_CHINESE, Control, IDD_KESTRIM_DIALOG),
    KESTRIM_RESOURCE(IDC_BUTTON_ENGLISH, Control, IDD_KESTRIM_DIALOG),
    KESTRIM_RESOURCE(IDC_BUTTON_ENVIRONMENT, Control, IDD_KESTRIM_DIALOG),
    KESTRIM_RESOURCE(IDC_EDIT_ACK, Control, IDD_KESTRIM_DIALOG),
    KESTRIM_RESOURCE(IDC_STATIC_SPARE, Control, IDD_KESTRIM_DIALOG),
    KESTRIM_RESOURCE(IDC_STATIC_UNIT, Control, IDD_KESTRIM_DIALOG),
    KESTRIM_RESOURCE(IDC_STATIC_READING, Control, IDD_KESTRIM_DIALOG),
    KESTRIM_RESOURCE(IDC_STATIC_POWER, Control, IDD_KESTRIM_DIALOG),
    KESTRIM_RESOURCE(IDC_PROGRESS_BATTERY, Control, IDD_KESTRIM_DIALOG),
    KESTRIM_RESOURCE(IDC_SLIDER_SPARE, Control, IDD_KESTRIM_DIALOG),
    KESTRIM_RESOURCE(IDC_STATIC_DEVICE_VOLUME, Control, IDD_KESTRIM_DIALOG),
    KESTRIM_RESOURCE(IDC_RADIO_BACKLIGHT_OFF, Control, IDD_KESTRIM_DIALOG),
    KESTRIM_RESOURCE(IDC_RADIO_BACKLIGHT_ON, Control, IDD_KESTRIM_DIALOG),
    KESTRIM_RESOURCE(IDC_RADIO_SWITCH_MODE, Control, IDD_KESTRIM_DIALOG),
    KESTRIM_RESOURCE(IDC_RADIO_PULSE_MODE, Control, IDD_KESTRIM_DIALOG),
    KESTRIM_RESOURCE(IDC_GROUP_BACKLIGHT, Control, IDD_KESTRIM_DIALOG),
    KESTRIM_RESOURCE(IDC_GROUP_OUTPUT_SIGNAL, Control, IDD_KESTRIM_DIALOG),
    KESTRIM_RESOURCE(IDC_COMBO_VOLUME, Control, IDD_KESTRIM_DIALOG),
    KESTRIM_RESOURCE(IDC_RADIO_R9, Control, IDD_KESTRIM_DIALOG),
    KESTRIM_RESOURCE(IDC_RADIO_R9_PRO, Control, IDD_KESTRIM_DIALOG),
    KESTRIM_RESOURCE(IDC_SLIDER_SPEECH_SPEED, Control, IDD_KESTRIM_DIALOG),
    KESTRIM_RESOURCE(IDC_SLIDER_SPEECH_VOLUME, Control, IDD_KESTRIM_DIALOG),
    KESTRIM_RESOURCE(IDC_STATIC_SPEECH_SPEED, Control, IDD_KESTRIM_DIALOG),
    KESTRIM_RESOURCE(IDC_STATIC_SPEECH_VOLUME, Control, IDD_KESTRIM_DIALOG),
    KESTRIM_RESOURCE(IDC_LIST_DELETE, Control, IDD_DELETE_DATA),
    KESTRIM_RESOURCE(IDC_BUTTON_DEL, Control, IDD_DELETE_DATA),
    KESTRIM_RESOURCE(IDC_EDIT_START_LINE, Control, IDD_DELETE_DATA),
    KESTRIM_RESOURCE(IDC_EDIT_END_LINE, Control, IDD_DELETE_DATA),
    KESTRIM_RESOURCE(ID_SELECT_DELETE, Command, IDR_MENU_RECORD_LIST),
    KESTRIM_RESOURCE(ID_DELETE_ALL, Command, IDR_MENU_RECORD_LIST),
    KESTRIM_RESOURCE(ID_SET_START_LINE, Command, IDR_MENU_LINE),
    KESTRIM_RESOURCE(ID_SET_STOP_LINE, Command, IDR_MENU_LINE),
    KESTRIM_RESOURCE(IDS_FAHRENHEIT, String, 0),
    KESTRIM_RESOURCE(IDS_SURFACE_MODE, String, 0),
    KESTRIM_RESOURCE(IDS_BODY_MODE, String, 0),
    KESTRIM_RESOURCE(IDS_COUNT_MODE, String, 0),
};
#undef KESTRIM_RESOURCE
