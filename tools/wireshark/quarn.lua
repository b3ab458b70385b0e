-- Wireshark dissector for captures of the instrument's serial bus (pcapng, link type
-- USER0 = 147, written by quarn24ex-desktop --capture or the "capture" card marker).
-- Each packet starts with two bytes of our own: the record kind and the receiver's
-- verdict; the bus bytes follow. Install: copy to ~/.local/lib/wireshark/plugins/ or run
--   tshark -X lua_script:tools/wireshark/quarn.lua -r bus.pcapng

local quarn = Proto("quarn", "Quarn bus")

local kinds = { [1] = "Sent", [2] = "Received chunk", [3] = "Accepted", [4] = "Rejected" }
local verdicts = {
    [0] = "good", [1] = "bad checksum", [2] = "bad length", [3] = "bad device id",
    [4] = "out of step", [5] = "timed out",
}
local devices = {
    [0x45] = "TSC", [0x46] = "BBM", [0x47] = "KEY", [0x48] = "MST", [0x4A] = "HCC", [0x4B] = "RAD",
}

-- Names from the message catalogue: requests this controller sends, answers from the head.
local requests = {
    [0] = "StatusRequestMsg", [1] = "GetSelectIdMsg", [2] = "SetAdminOptionsMsg",
    [17] = "GetPingMsg", [18] = "MasterResetRequest", [19] = "GetSmbMsg",
    [20] = "SetFlashMsgReq", [21] = "SetFlashMsgReq", [22] = "RtcSetDateTimeMsg",
    [23] = "RtcGetDateTimeMsg", [32] = "SetEepromMsgReq", [34] = "SetOperatingModeMsg",
    [38] = "SetPowerLevelMsg", [42] = "SetTxPowerModeMsg", [46] = "SetFreqModeMsg",
    [48] = "GetFreqValueMsg", [50] = "SetFreqValueMsg", [62] = "SetVolumeMsg",
    [70] = "SetAudioOutputMsg", [74] = "SetDspGainLevelMsg", [82] = "SetTripLevelMsg",
    [86] = "SetTargetHapticMsg", [90] = "SetHeadlightMsg", [94] = "SetStandbyTimeMsg",
    [98] = "SetAutoOffMsg", [100] = "GetCountryMsg", [102] = "SetCountryMsg",
    [106] = "SetKeyPressEventMsg", [108] = "GetSysInformationMsg",
    [112] = "FftCorrelatedDataRequestMsg", [116] = "LoadUserSettingsMsg",
    [118] = "SaveUserSettingsMsg", [120] = "GetSystemDataMsg", [122] = "SetSystemDataMsg",
    [126] = "SetBrightnessMsg", [130] = "SetToneStyleMsg", [140] = "GetUflagsMsg",
    [142] = "SetUflagsMsg", [148] = "QuarnGetResultRequestMsg", [154] = "SetKeypadExitMsg",
    [156] = "GetZoneMsg", [160] = "GetZoneListMsg",
}
local answers = {
    [1] = "GetSelectIdMsg", [2] = "GetAdminOptionsMsgResp", [3] = "GetAdminOptionsMsgResp",
    [17] = "GetPingMsg", [19] = "GetSmbMsg", [20] = "SetBBMFlashMsgResp",
    [21] = "SetLEDFlashMsgResp", [22] = "RtcSetDateTimeMsg", [23] = "RtcGetDateTimeMsg",
    [32] = "SetEepromMsgResp", [87] = "SetTargetHapticMsg ack", [107] = "SetKeyPressEventMsg ack",
    [109] = "GetSysInformationMsgResp", [113] = "FftCorrelatedDataRespMsg",
    [117] = "LoadUserSettingsMsgResp", [119] = "SaveUserSettingsMsg ack",
    [145] = "QuarnGetAmbientResponseMsg", [149] = "QuarnGetResultResponseMsg",
    [153] = "bus send gate", [155] = "SetKeypadExitMsg ack", [157] = "GetZoneMsgResp",
    [161] = "GetZoneListMsgResp",
}
for code, name in pairs({ [33] = "GetOperatingModeMsgResp", [37] = "GetPowerLevelMsgResp",
    [41] = "GetTxPowerModeMsgResp", [45] = "GetFreqModeMsgResp", [49] = "GetFreqValueMsgResp",
    [53] = "GetFreqRangeMsgResp", [61] = "GetVolumeMsgResp", [69] = "GetAudioOutputMsgResp",
    [73] = "GetDspGainLevelMsgResp", [81] = "GetTripLevelMsgResp", [89] = "GetHeadlightMsgResp",
    [93] = "GetStandbyTimeMsgResp", [99] = "GetAutoOffMsgResp", [101] = "GetCountryMsgResp",
    [121] = "GetSystemDataMsgResp", [125] = "GetBrightnessMsgResp", [129] = "GetToneStyleMsgResp",
    [141] = "GetUflagsMsgResp" }) do
    answers[code] = name
    if code ~= 99 and code ~= 121 then answers[code + 2] = name end
end
answers[123] = "GetSystemDataMsgResp"

local f = quarn.fields
f.kind = ProtoField.uint8("quarn.kind", "Record", base.DEC, kinds)
f.verdict = ProtoField.uint8("quarn.verdict", "Receiver verdict", base.DEC, verdicts)
f.chunk = ProtoField.bytes("quarn.chunk", "Bytes as read")
f.sync = ProtoField.uint16("quarn.sync", "Sync", base.HEX)
f.dst = ProtoField.uint8("quarn.dst", "Destination", base.HEX, devices)
f.src = ProtoField.uint8("quarn.src", "Source", base.HEX, devices)
f.type = ProtoField.uint8("quarn.type", "Type", base.DEC)
f.name = ProtoField.string("quarn.name", "Message")
f.param = ProtoField.uint8("quarn.param", "Param", base.DEC)
f.length = ProtoField.uint16("quarn.length", "Length", base.DEC)
f.body = ProtoField.bytes("quarn.body", "Body")
f.checksum = ProtoField.uint16("quarn.checksum", "Checksum", base.HEX)
f.checksum_status = ProtoField.string("quarn.checksum.status", "Checksum status")
-- Decoded bodies.
f.tx_power = ProtoField.uint8("quarn.result.tx_power", "Transmit power")
f.harm2 = ProtoField.uint8("quarn.result.harm2", "2nd harmonic")
f.harm3 = ProtoField.uint8("quarn.result.harm3", "3rd harmonic")
f.sd_magic = ProtoField.string("quarn.sysdata.magic", "Magic")
f.sd_mode = ProtoField.uint8("quarn.sysdata.mode", "Operating mode")
f.sd_freq_mode = ProtoField.uint8("quarn.sysdata.freq_mode", "Frequency mode")
f.sd_power = ProtoField.uint8("quarn.sysdata.power_level", "Power level")
f.sd_tx_mode = ProtoField.uint8("quarn.sysdata.tx_power_mode", "Transmit power mode")
f.sd_freq = ProtoField.uint32("quarn.sysdata.frequency", "Frequency (Hz)")
f.sd_audio = ProtoField.uint8("quarn.sysdata.audio_source", "Audio source")
f.sd_gain = ProtoField.uint8("quarn.sysdata.dsp_gain", "DSP gain level")
f.sd_volume = ProtoField.uint8("quarn.sysdata.volume", "Volume", base.DEC, nil, 0x7F)
f.sd_mute = ProtoField.bool("quarn.sysdata.mute", "Mute", 8, nil, 0x80)
f.sd_trip = ProtoField.uint8("quarn.sysdata.trip_level", "Trip level")
f.sd_brightness = ProtoField.uint8("quarn.sysdata.brightness", "Brightness")
f.sd_headlight = ProtoField.uint8("quarn.sysdata.headlight", "Headlight")
f.sd_haptic = ProtoField.uint8("quarn.sysdata.target_haptic", "Target vibration")
f.sd_standby = ProtoField.uint8("quarn.sysdata.standby", "Standby time")
f.sd_autooff = ProtoField.uint8("quarn.sysdata.auto_off", "Auto power off")
f.sd_tone = ProtoField.uint8("quarn.sysdata.tone_style", "Tone style")
f.sd_flags = ProtoField.uint8("quarn.sysdata.flags", "Flags", base.HEX)
f.sd_region = ProtoField.uint8("quarn.sysdata.region", "Region")
f.clock = ProtoField.string("quarn.clock", "Date and time")
f.clock_stopped = ProtoField.bool("quarn.clock.oscillator_stopped", "Oscillator stopped")
f.bat_charge = ProtoField.uint8("quarn.battery.charge", "Charge (%)")
f.bat_mains = ProtoField.bool("quarn.battery.mains", "On mains")
f.bat_status = ProtoField.uint16("quarn.battery.mfg_status", "Manufacturer status", base.HEX)
f.smb_register = ProtoField.uint8("quarn.battery.register", "Smart-battery register", base.HEX)
f.smb_word = ProtoField.uint16("quarn.battery.word", "Register value")
f.smb_text = ProtoField.string("quarn.battery.text", "Register text")
f.version = ProtoField.string("quarn.version", "Version text")

local ef_checksum = ProtoExpert.new("quarn.checksum.bad", "Bad checksum",
    expert.group.CHECKSUM, expert.severity.ERROR)
local ef_rejected = ProtoExpert.new("quarn.rejected", "Frame rejected by the receiver",
    expert.group.PROTOCOL, expert.severity.WARN)
local ef_short = ProtoExpert.new("quarn.short", "Frame ends early",
    expert.group.MALFORMED, expert.severity.WARN)
local ef_length = ProtoExpert.new("quarn.length.bad", "Length beyond 266 bytes",
    expert.group.MALFORMED, expert.severity.ERROR)
quarn.experts = { ef_checksum, ef_rejected, ef_short, ef_length }

-- Wireshark 4.0 runs Lua 5.2: bit operations through its bit library.
local band, rshift = bit.band, bit.rshift

local function bcd(v) return rshift(v, 4) * 10 + band(v, 0x0F) end

-- Text up to the first NUL.
local function cstring(range)
    local s = range:raw()
    local nul = s:find("\0", 1, true)
    return nul and s:sub(1, nul - 1) or s
end

local function decodeClock(tree, body)
    if body:len() < 7 then return end
    local b = function(i) return body(i, 1):uint() end
    local hour = b(2)
    if band(hour, 0x40) ~= 0 then
        local h = bcd(band(hour, 0x1F)) % 12
        if band(hour, 0x20) ~= 0 then h = h + 12 end
        hour = h
    else
        hour = bcd(band(hour, 0x3F))
    end
    tree:add(f.clock, body(0, 7), string.format("20%02d-%02d-%02d %02d:%02d:%02d",
        bcd(b(6)), bcd(b(5)), bcd(b(4)), hour, bcd(b(1)), bcd(band(b(0), 0x7F))))
    tree:add(f.clock_stopped, body(0, 1), band(b(0), 0x80) ~= 0)
end

local sysdataFields = {
    { 4, f.sd_mode }, { 5, f.sd_freq_mode }, { 6, f.sd_power }, { 7, f.sd_tx_mode },
    { 12, f.sd_audio }, { 13, f.sd_gain }, { 15, f.sd_volume }, { 15, f.sd_mute },
    { 16, f.sd_trip }, { 17, f.sd_brightness }, { 19, f.sd_headlight }, { 20, f.sd_haptic },
    { 21, f.sd_standby }, { 22, f.sd_autooff }, { 25, f.sd_tone }, { 26, f.sd_flags },
    { 27, f.sd_region },
}

local function decodeSystemData(tree, body)
    if body:len() < 28 then return end
    tree:add(f.sd_magic, body(0, 4))
    tree:add_le(f.sd_freq, body(8, 4))
    for _, entry in ipairs(sysdataFields) do
        tree:add(entry[2], body(entry[1], 1))
    end
end

local function decodeBody(tree, type, fromTsc, param, body)
    local n = body:len()
    if type == 149 and not fromTsc then
        if n > 47 then tree:add(f.tx_power, body(47, 1)) end
        if n > 49 then tree:add(f.harm2, body(49, 1)) end
        if n > 50 then tree:add(f.harm3, body(50, 1)) end
    elseif type == 121 or type == 123 or type == 122 then
        decodeSystemData(tree, body)
    elseif type == 22 or (type == 23 and not fromTsc) then
        decodeClock(tree, body)
    elseif type == 17 and not fromTsc then
        if n > 16 then tree:add(f.bat_charge, body(16, 1)) end
        if n > 7 then tree:add(f.bat_mains, body(7, 1), band(body(7, 1):uint(), 0x80) ~= 0) end
        if n > 9 then tree:add(f.bat_status, body(8, 2)) end
    elseif type == 19 and not fromTsc then
        if n == 2 then tree:add_le(f.smb_word, body(0, 2))
        elseif n > 0 then tree:add(f.smb_text, body(0, n), cstring(body(0, n))) end
    elseif type == 1 and not fromTsc and n > 0 then
        tree:add(f.version, body(0, n), cstring(body(0, n)))
    end
end

local function dissectFrame(buf, pinfo, tree, verdict)
    local len = buf:len()
    local sub = tree:add(quarn, buf(), "Frame")
    if len >= 2 then sub:add(f.sync, buf(0, 2)) end
    if len < 8 then
        sub:add_proto_expert_info(ef_short)
        return "short frame"
    end
    local dst, src, type, param = buf(2, 1):uint(), buf(3, 1):uint(), buf(4, 1):uint(), buf(5, 1):uint()
    local n = buf(6, 2):le_uint()
    local fromTsc = src == 0x45
    local name = (fromTsc and requests[type]) or answers[type] or "unknown"
    if fromTsc and type == 82 and dst == 0x47 then name = "QuarnActivateHapticRequest" end
    pinfo.cols.src = devices[src] or string.format("0x%02x", src)
    pinfo.cols.dst = devices[dst] or string.format("0x%02x", dst)
    sub:add(f.dst, buf(2, 1))
    sub:add(f.src, buf(3, 1))
    sub:add(f.type, buf(4, 1)):append_text(" (" .. name .. ")")
    sub:add(f.name, buf(4, 1), name)
    sub:add(f.param, buf(5, 1))
    local lengthItem = sub:add_le(f.length, buf(6, 2))
    local summary = string.format("%s %s > %s param %d", name,
        devices[src] or string.format("0x%02x", src), devices[dst] or string.format("0x%02x", dst), param)
    if n > 266 then
        lengthItem:add_proto_expert_info(ef_length)
        return summary
    end
    local held = math.min(n, len - 8)
    if held > 0 then
        local body = buf(8, held)
        local bodyItem = sub:add(f.body, body)
        decodeBody(bodyItem, type, fromTsc, param, body)
    end
    if len < n + 10 then
        sub:add_proto_expert_info(ef_short)
        return summary
    end
    local sum = 0
    for i = 2, n + 7 do sum = band(sum + buf(i, 1):uint(), 0xFFFF) end
    local sent = buf(n + 8, 2):le_uint()
    local item = sub:add_le(f.checksum, buf(n + 8, 2))
    if sum == sent then
        item:append_text(" [correct]")
        sub:add(f.checksum_status, buf(n + 8, 2), "correct")
    else
        item:append_text(string.format(" [incorrect, should be 0x%04x]", sum))
        sub:add(f.checksum_status, buf(n + 8, 2), "incorrect")
        item:add_proto_expert_info(ef_checksum)
        summary = summary .. " [BAD CHECKSUM]"
    end
    return summary
end

function quarn.dissector(buf, pinfo, tree)
    if buf:len() < 2 then return 0 end
    pinfo.cols.protocol = "QUARN"
    local kind, verdict = buf(0, 1):uint(), buf(1, 1):uint()
    local root = tree:add(quarn, buf(), "Quarn bus, " .. (kinds[kind] or "unknown record"))
    root:add(f.kind, buf(0, 1))
    local verdictItem = root:add(f.verdict, buf(1, 1))
    local bytes = buf(2)
    if buf:len() == 2 then
        pinfo.cols.info = kinds[kind] or "?"
        return buf:len()
    end
    if kind == 2 then
        root:add(f.chunk, bytes)
        pinfo.cols.info = string.format("Received chunk, %d bytes", bytes:len())
        return buf:len()
    end
    local summary = dissectFrame(bytes:tvb(), pinfo, root, verdict)
    if kind == 4 then
        verdictItem:add_proto_expert_info(ef_rejected)
        summary = "Rejected (" .. (verdicts[verdict] or "?") .. "): " .. summary
    end
    pinfo.cols.info = (kind == 1 and "> " or "< ") .. summary
    return buf:len()
end

DissectorTable.get("wtap_encap"):add(wtap_encaps.USER0, quarn)
