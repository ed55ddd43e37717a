#include "serial/TelnetComPort.h"

#include <libtelnet.h>

#include <algorithm>
#include <cstring>

namespace {

// RFC 2217: the client's commands; the server answers each with 100 added.
constexpr uint8_t kSetBaudRate = 1;
constexpr uint8_t kSetDataSize = 2;
constexpr uint8_t kSetParity = 3;
constexpr uint8_t kSetStopSize = 4;
constexpr uint8_t kSetControl = 5;
constexpr uint8_t kPurgeData = 12;
constexpr uint8_t kServerAnswer = 100;
constexpr uint8_t kNoFlowControlOut = 1;
constexpr uint8_t kNoFlowControlIn = 14;
constexpr uint8_t kPurgeBoth = 3;
constexpr unsigned char kIac = 255;

// libtelnet parses; the options are negotiated here (its proxy mode leaves
// that to us, and reports a refusal of what we asked for, which its own
// negotiation keeps to itself).
const telnet_telopt_t kNoOptionTable[] = {{-1, 0, 0}};

// The options this client does and wants the server to do.
bool Wanted(unsigned char option) {
    return option == TELNET_TELOPT_BINARY || option == TELNET_TELOPT_SGA ||
           option == TelnetComPort::kComPortOption;
}

// RFC 2217's values: parity 1 none, 2 odd, 3 even, 4 mark, 5 space (the
// port text's codes plus one); stop size 1 one, 2 two.
uint8_t StopSize(uint8_t stopBits) { return stopBits == 2 ? 2 : 1; }

// libtelnet could not keep a subnegotiation's bytes (longer than its 16 KiB
// buffer, or no memory for more): it goes on with the rest of them as data.
// It leaves the event's error code unset, so the function that failed tells.
// Its other warnings are about the contents of a subnegotiation it kept.
bool SubnegotiationLost(const telnet_event_t::error_t& error) {
    return error.func != nullptr && std::strcmp(error.func, "_buffer_byte") == 0;
}

TelnetComPort::Agreement Both(TelnetComPort::Agreement a, TelnetComPort::Agreement b) {
    using Agreement = TelnetComPort::Agreement;
    if (a == Agreement::kRefused || b == Agreement::kRefused) return Agreement::kRefused;
    return a == Agreement::kAgreed && b == Agreement::kAgreed ? Agreement::kAgreed
                                                              : Agreement::kPending;
}

}  // namespace

TelnetComPort::TelnetComPort()
    : m_telnet(telnet_init(kNoOptionTable, OnEvent, TELNET_FLAG_PROXY, this)) {}

TelnetComPort::~TelnetComPort() { telnet_free(m_telnet); }

void TelnetComPort::Negotiate() {
    Say(TELNET_WILL, TELNET_TELOPT_BINARY);
    Say(TELNET_DO, TELNET_TELOPT_BINARY);
    Say(TELNET_WILL, kComPortOption);
}

void TelnetComPort::Say(unsigned char command, unsigned char option) {
    // Each is said once: an answer is never answered again, so no loop.
    bool ours = command == TELNET_WILL || command == TELNET_WONT;
    bool& said = (ours ? m_saidOurs : m_saidHis)[option];
    if (said) return;
    said = true;
    telnet_negotiate(m_telnet, command, option);
}

void TelnetComPort::SendLine(uint32_t baud, uint8_t parity, uint8_t dataBits, uint8_t stopBits) {
    m_asked = {baud, dataBits, static_cast<uint8_t>(parity + 1), StopSize(stopBits)};
    m_answered = {};
    const unsigned char rate[] = {
        static_cast<unsigned char>(baud >> 24), static_cast<unsigned char>(baud >> 16),
        static_cast<unsigned char>(baud >> 8), static_cast<unsigned char>(baud)};
    SendCommand(kSetBaudRate, rate, sizeof rate);
    SendCommand(kSetDataSize, &*m_asked.dataSize, 1);
    SendCommand(kSetParity, &*m_asked.parity, 1);
    SendCommand(kSetStopSize, &*m_asked.stopSize, 1);
    SendControl(kNoFlowControlOut);
    SendControl(kNoFlowControlIn);
}

void TelnetComPort::SendControl(uint8_t value) { SendCommand(kSetControl, &value, 1); }

void TelnetComPort::SendPurge() { SendCommand(kPurgeData, &kPurgeBoth, 1); }

void TelnetComPort::SendCommand(uint8_t command, const unsigned char* value, size_t size) {
    std::string body(1, static_cast<char>(command));
    body.append(reinterpret_cast<const char*>(value), size);
    // libtelnet doubles a 0xFF in the body, as the option requires.
    telnet_subnegotiation(m_telnet, kComPortOption, body.data(), body.size());
}

size_t TelnetComPort::Receive(const char* bytes, size_t count, char* data) {
    if (!m_protocolError.empty()) return 0;
    m_data = data;
    m_nData = 0;
    m_nRoom = count;
    telnet_recv(m_telnet, bytes, count);
    m_data = nullptr;
    m_nRoom = 0;
    return m_nData;
}

void TelnetComPort::TakeData(const char* bytes, size_t count) {
    if (!m_protocolError.empty()) return;
    // Only a stream libtelnet inflates (MCCP, which this client never asks
    // for) could carry more data than bytes; what does not fit is dropped.
    size_t taken = std::min(count, m_nRoom - m_nData);
    if (taken > 0) std::memcpy(m_data + m_nData, bytes, taken);
    m_nData += taken;
}

std::string TelnetComPort::TakeOutput() {
    std::string out;
    out.swap(m_out);
    return out;
}

TelnetComPort::Agreement TelnetComPort::Options() const {
    return Both(Both(m_binaryOut, m_binaryIn), m_comPort);
}

bool TelnetComPort::LineAnswered() const {
    return m_answered.baud && m_answered.dataSize && m_answered.parity && m_answered.stopSize;
}

bool TelnetComPort::LineTaken() const { return m_answered == m_asked; }

std::string TelnetComPort::Escape(const char* bytes, size_t count) {
    std::string escaped;
    escaped.reserve(count + 8);
    for (size_t i = 0; i < count; ++i) {
        escaped += bytes[i];
        if (static_cast<unsigned char>(bytes[i]) == kIac) escaped += bytes[i];
    }
    return escaped;
}

void TelnetComPort::OnEvent(telnet_t*, telnet_event_t* event, void* self) {
    auto& port = *static_cast<TelnetComPort*>(self);
    switch (event->type) {
        case TELNET_EV_DATA:
            port.TakeData(event->data.buffer, event->data.size);
            break;
        case TELNET_EV_SEND:
            port.m_out.append(event->data.buffer, event->data.size);
            break;
        case TELNET_EV_WILL:
        case TELNET_EV_WONT:
        case TELNET_EV_DO:
        case TELNET_EV_DONT:
            port.m_bSpokeTelnet = true;
            port.OnNegotiation(event->type, event->neg.telopt);
            break;
        case TELNET_EV_SUBNEGOTIATION:
            port.m_bSpokeTelnet = true;
            if (event->sub.telopt == kComPortOption) {
                port.OnComPortAnswer(reinterpret_cast<const unsigned char*>(event->sub.buffer),
                                     event->sub.size);
            }
            break;
        case TELNET_EV_WARNING:
        case TELNET_EV_ERROR:
            port.m_bSpokeTelnet = true;
            if (event->type == TELNET_EV_ERROR || SubnegotiationLost(event->error)) {
                if (port.m_protocolError.empty()) port.m_protocolError = event->error.msg;
            }
            break;
        default:
            // Other commands (NOP, GA, ...).
            port.m_bSpokeTelnet = true;
            break;
    }
}

void TelnetComPort::OnNegotiation(int type, unsigned char option) {
    bool yes = type == TELNET_EV_WILL || type == TELNET_EV_DO;
    bool ours = type == TELNET_EV_DO || type == TELNET_EV_DONT;  // what we do, not the server
    if (yes) {
        // Agree to what we want, refuse the rest; a refusal needs no answer.
        bool agree = Wanted(option) && !(option == kComPortOption && !ours);
        Say(ours ? (agree ? TELNET_WILL : TELNET_WONT) : (agree ? TELNET_DO : TELNET_DONT), option);
    }
    Agreement agreement = yes ? Agreement::kAgreed : Agreement::kRefused;
    if (option == TELNET_TELOPT_BINARY) (ours ? m_binaryOut : m_binaryIn) = agreement;
    if (option == kComPortOption && ours) m_comPort = agreement;
}

void TelnetComPort::OnComPortAnswer(const unsigned char* bytes, size_t size) {
    if (size < 2) return;
    const unsigned char* value = bytes + 1;
    switch (bytes[0]) {
        case kServerAnswer + kSetBaudRate:
            if (size == 5) {
                m_answered.baud = uint32_t{value[0]} << 24 | uint32_t{value[1]} << 16 |
                                  uint32_t{value[2]} << 8 | value[3];
            }
            break;
        case kServerAnswer + kSetDataSize:
            m_answered.dataSize = value[0];
            break;
        case kServerAnswer + kSetParity:
            m_answered.parity = value[0];
            break;
        case kServerAnswer + kSetStopSize:
            m_answered.stopSize = value[0];
            break;
        default:
            // Line and modem state notices, flow control: nothing the channel uses.
            break;
    }
}
