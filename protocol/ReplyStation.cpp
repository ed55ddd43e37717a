#include "protocol/ReplyStation.h"

char ReplyStation::CharOf(int32_t station) {
    return static_cast<char>(station < 10 ? '0' + station : 'A' + station - 10);
}

int32_t ReplyStation::StationOf(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'Z') return 10 + (c - 'A');
    return -1;
}
