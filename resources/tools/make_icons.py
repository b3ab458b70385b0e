#!/usr/bin/env python3
"""Writes the SVG sources of the picture set below resources/images/.

The SVG files are committed and rendered to PNG at build time; this script is how they are
made, so that palette, strokes and geometry stay consistent across the whole set. Edit here
and re-run (python3 resources/tools/make_icons.py), then commit the changed SVGs.

Geometry that screens rely on (bar strips, scales, markers) is noted next to each picture.
"""

import math
import os
import random

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "images")

# Palette: greys of the dark screen, one cool accent, amber for warnings and the
# channel colours (transmit green, 2nd harmonic red, 3rd harmonic yellow).
INK = "#d4d5d7"
INK_DIM = "#8b8c90"
TEXT = "#b1b1b1"
EDGE = "#818285"
FACE = "#4c4d4f"
DEEP = "#141517"
ACCENT = "#4ea8e6"
ACCENT_LIGHT = "#9ad4ff"
ACCENT_DARK = "#1c4a70"
STEEL = "#97b1bf"
AMBER = "#f0a830"
RED = "#e8484d"
RED_LIGHT = "#ff8a8d"
RED_DARK = "#8c1f23"
YELLOW = "#f2cd2e"
YELLOW_LIGHT = "#fff08a"
YELLOW_DARK = "#8a6d0c"
GREEN = "#47c26b"
GREEN_LIGHT = "#9cf0b3"
GREEN_DARK = "#1c6a35"
FONT = "DejaVu Sans"


def svg(w, h, body, defs=""):
    d = f"<defs>{defs}</defs>" if defs else ""
    return (f'<svg xmlns="http://www.w3.org/2000/svg" version="1.2" baseProfile="tiny" '
            f'width="{w}" height="{h}" viewBox="0 0 {w} {h}">{d}{body}</svg>\n')


def lin(gid, stops, x1=0, y1=0, x2=0, y2=1):
    s = ""
    for stop in stops:
        offset, color = stop[0], stop[1]
        opacity = f' stop-opacity="{stop[2]}"' if len(stop) > 2 else ""
        s += f'<stop offset="{offset}" stop-color="{color}"{opacity}/>'
    return f'<linearGradient id="{gid}" x1="{x1}" y1="{y1}" x2="{x2}" y2="{y2}">{s}</linearGradient>'


def text(x, y, s, size, fill, weight="bold", anchor="middle"):
    return (f'<text x="{x}" y="{y}" font-family="{FONT}" font-size="{size}" font-weight="{weight}" '
            f'fill="{fill}" text-anchor="{anchor}">{s}</text>')


def stroke(d, color, width, extra=""):
    return (f'<path d="{d}" fill="none" stroke="{color}" stroke-width="{width}" '
            f'stroke-linecap="round" stroke-linejoin="round"{extra}/>')


def write(rel, content):
    path = os.path.join(ROOT, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as f:
        f.write(content)


def img(name, w, h, body, defs=""):
    write(f"images/{name}.svg", svg(w, h, body, defs))


def top(name, w, h, body, defs=""):
    write(f"{name}.svg", svg(w, h, body, defs))


# ---------------------------------------------------------------- glyphs on a 48 grid

def speaker(color=INK):
    return f'<path d="M7 19 H15 L25 10 V38 L15 29 H7 Z" fill="{color}" stroke="{color}" stroke-width="2" stroke-linejoin="round"/>'


def waves(color=ACCENT):
    return stroke("M30 18.5 A8 8 0 0 1 30 29.5", color, 3) + stroke("M34.5 13 A15 15 0 0 1 34.5 35", color, 3)


def mute_cross(color=AMBER):
    return stroke("M31 18 L42 30 M42 18 L31 30", color, 3.5)


def plus(cx, cy, r, color, width=3.5):
    return stroke(f"M{cx - r} {cy} H{cx + r} M{cx} {cy - r} V{cy + r}", color, width)


def minus(cx, cy, r, color, width=3.5):
    return stroke(f"M{cx - r} {cy} H{cx + r}", color, width)


def gear(cx, cy, r_out, r_in, teeth, color, hole):
    pts = []
    for i in range(teeth * 4):
        a = 2 * math.pi * i / (teeth * 4) - math.pi / 2
        r = r_out if i % 4 in (0, 1) else r_in
        pts.append(f"{cx + r * math.cos(a):.2f} {cy + r * math.sin(a):.2f}")
    d = "M" + " L".join(pts) + " Z"
    return (f'<path d="{d}" fill="{color}" stroke="{color}" stroke-width="1.5" stroke-linejoin="round"/>'
            f'<circle cx="{cx}" cy="{cy}" r="{hole}" fill="{DEEP}"/>'
            f'<circle cx="{cx}" cy="{cy}" r="{hole}" fill="none" stroke="{color}" stroke-width="1" stroke-opacity="0.4"/>')


def scaled(s, body):
    return f'<g transform="scale({s})">{body}</g>'


def buttons():
    img("home", 48, 48,
        stroke("M8 24 L24 9.5 L40 24", INK, 3.5)
        + stroke("M13 21 V38.5 H35 V21", INK, 3.5)
        + f'<rect x="20.5" y="27" width="7" height="11.5" rx="1" fill="{ACCENT}"/>')
    img("tools", 48, 48, gear(24, 24, 17, 12.5, 8, INK, 5.5)
        + f'<circle cx="24" cy="24" r="2.2" fill="{ACCENT}"/>')
    img("audio_on", 48, 48, speaker() + waves())
    img("audio_off", 48, 48, speaker(INK_DIM) + mute_cross())
    img("audio_change", 48, 48, speaker()
        + f'<path d="M31 20 L37.5 11 L44 20 Z" fill="{ACCENT}"/>'
        + f'<path d="M31 28 L37.5 37 L44 28 Z" fill="{ACCENT}"/>')
    img("audio_up", 48, 48, speaker() + plus(37.5, 24, 7, ACCENT, 4))
    img("audio_down", 48, 48, speaker() + minus(37.5, 24, 7, ACCENT, 4))

    def ramp(lit):
        out = ""
        for i in range(5):
            h = 8 + 5 * i
            x = 4 + 6.5 * i
            if i < lit:
                out += f'<rect x="{x}" y="{40 - h}" width="4.6" height="{h}" rx="1.2" fill="{INK}"/>'
            else:
                out += (f'<rect x="{x + 0.6}" y="{40.6 - h}" width="3.4" height="{h - 1.2}" rx="1" fill="none" '
                        f'stroke="{INK_DIM}" stroke-width="1.2"/>')
        return out

    img("Vol_up", 48, 48, ramp(4) + plus(40, 11, 6, ACCENT, 3.5))
    img("Vol_dn", 48, 48, ramp(2) + minus(40, 11, 6, ACCENT, 3.5))
    # The volume subscreen's checkable mute button: one picture per check state.
    img("mute_checked", 48, 48, speaker(INK_DIM) + mute_cross())
    img("mute_unchecked", 48, 48, speaker() + waves())

    folder = ('M5 13 Q5 10 8 10 H17 L21 14 H40 Q43 14 43 17 V36 Q43 39 40 39 H8 Q5 39 5 36 Z')
    img("profile_load", 48, 48, stroke(folder, INK, 3)
        + stroke("M24 34 V20 M17.5 26 L24 19.5 L30.5 26", ACCENT, 3.5))
    img("profile_save", 48, 48, stroke(folder, INK, 3)
        + stroke("M24 19 V33 M17.5 27 L24 33.5 L30.5 27", ACCENT, 3.5))

    img("straight_arrow_left", 56, 24, stroke("M48 12 H9 M18 3.5 L8.5 12 L18 20.5", INK, 3.5))
    img("straight_arrow_right", 56, 24, stroke("M8 12 H47 M38 3.5 L47.5 12 L38 20.5", INK, 3.5))
    img("curved_arrow_left", 56, 24, stroke("M12 7 H39 A6.5 6.5 0 0 1 39 20 H26", INK, 3.5)
        + stroke("M19 1.8 L11.5 7 L19 12.2", INK, 3.5))
    img("chevron_left", 28, 28, stroke("M17.5 5 L8.5 14 L17.5 23", INK, 3.5))
    img("chevron_right", 28, 28, stroke("M10.5 5 L19.5 14 L10.5 23", INK, 3.5))


# ---------------------------------------------------------------- status bar, 34 x 34

def battery(level, body_color=INK, fill=None):
    out = (f'<rect x="3.5" y="10.5" width="24" height="13" rx="2.5" fill="{DEEP}" fill-opacity="0.55" '
           f'stroke="{body_color}" stroke-width="1.8"/>'
           f'<rect x="28" y="14" width="3" height="6" rx="1" fill="{body_color}"/>')
    if level > 0:
        w = 19.0 * level / 100
        out += f'<rect x="6" y="13" width="{w:.2f}" height="8" rx="1" fill="{fill}"/>'
    return out


def status_bar():
    for level in (13, 25, 38, 50, 63, 75, 88, 100):
        fill = AMBER if level <= 25 else INK
        img(f"battery_{level}", 34, 34, battery(level, fill=fill))
    img("battery_0", 34, 34, battery(0) + f'<rect x="6" y="13" width="2" height="8" rx="0.8" fill="{RED_LIGHT}"/>')
    img("ac_power", 34, 34, battery(0)
        + f'<path d="M17.5 11.5 L11 18 H15.5 L13 23 L20 16 H15.5 Z" fill="{ACCENT_LIGHT}" stroke="{ACCENT_LIGHT}" '
          f'stroke-width="0.8" stroke-linejoin="round"/>')

    img("camera", 34, 34,
        f'<path d="M12 9 L14 6.5 H20 L22 9 Z" fill="{INK}"/>'
        f'<rect x="4" y="9" width="26" height="18" rx="3.5" fill="none" stroke="{INK}" stroke-width="2.2"/>'
        f'<circle cx="17" cy="18" r="5.3" fill="none" stroke="{INK}" stroke-width="2.2"/>'
        f'<circle cx="17" cy="18" r="2.2" fill="{ACCENT}"/>'
        f'<rect x="7" y="12" width="3" height="2" rx="0.6" fill="{INK_DIM}"/>')

    lamp = "M6 10 H11 Q18 10 18 17 Q18 24 11 24 H6 Z"
    img("headlamp_on", 34, 34,
        f'<path d="{lamp}" fill="{INK}"/>'
        + stroke("M22 11 L30 8 M22 17 H31 M22 23 L30 26", YELLOW_LIGHT, 2.4))
    img("headlamp_off", 34, 34,
        f'<path d="{lamp}" fill="none" stroke="{INK_DIM}" stroke-width="2"/>'
        + stroke("M22 11 L30 8 M22 17 H31 M22 23 L30 26", INK_DIM, 2, ' stroke-opacity="0.35"'))

    # Frequency-scan mode: a chirp, its cycles closing up towards the right.
    pts = []
    for i in range(0, 121):
        t = i / 120
        x = 3 + 28 * t
        phase = 2 * math.pi * (1.0 * t + 1.6 * t * t)
        pts.append(f"{x:.2f} {17 - 8 * math.sin(phase):.2f}")
    img("frequency", 34, 34, stroke("M" + " L".join(pts), ACCENT_LIGHT, 2.2)
        + f'<rect x="3" y="28" width="28" height="2" rx="1" fill="{ACCENT}" fill-opacity="0.6"/>')

    # The head does not answer: its antenna with the waves it should send back, crossed out
    # in the warning colour. Unlike the classifications it stands in for, it is no target.
    waves_r = "".join(stroke(f"M{17 + r * 0.707:.2f} {12 - r * 0.707:.2f} A{r} {r} 0 0 1 {17 + r * 0.707:.2f} {12 + r * 0.707:.2f}"
                             + f" M{17 - r * 0.707:.2f} {12 - r * 0.707:.2f} A{r} {r} 0 0 0 {17 - r * 0.707:.2f} {12 + r * 0.707:.2f}",
                             INK_DIM, 2) for r in (6, 11))
    img("head_silent", 34, 34, waves_r
        + stroke("M11.5 30 L17 13 L22.5 30 M13.5 24 H20.5", INK, 2.2)
        + f'<circle cx="17" cy="12" r="2.4" fill="{INK}"/>'
        + stroke("M5 5 L29 29", DEEP, 5.5) + stroke("M5 5 L29 29", AMBER, 2.8))

    # Semiconductor: a red chip. Corrosive: a yellow, pitted hex nut. Shape and colour differ.
    pins = ""
    for p in (11, 17, 23):
        pins += stroke(f"M3.5 {p} H8 M26 {p} H30.5 M{p} 3.5 V8 M{p} 26 V30.5", RED, 2.2)
    img("semi_conductor_on", 34, 34, pins
        + f'<rect x="8" y="8" width="18" height="18" rx="2.5" fill="{RED}"/>'
        + f'<rect x="8" y="8" width="18" height="18" rx="2.5" fill="url(#chipShade)"/>'
        + f'<circle cx="12" cy="12" r="1.6" fill="{RED_DARK}"/>',
        lin("chipShade", [(0, "#ffffff", 0.25), (1, "#000000", 0.2)]))
    hexa = " L".join(f"{17 + 14.5 * math.cos(math.pi / 3 * k):.2f} {17 + 14.5 * math.sin(math.pi / 3 * k):.2f}"
                     for k in range(6))
    img("corrosive_yellow", 34, 34,
        f'<path d="M{hexa} Z" fill="{YELLOW}" stroke="{YELLOW_DARK}" stroke-width="1.2" stroke-linejoin="round"/>'
        + f'<circle cx="17" cy="17" r="6.2" fill="#2a2b2e" stroke="{YELLOW_DARK}" stroke-width="1.2"/>'
        + f'<circle cx="8.5" cy="14" r="1.8" fill="#b8651a"/><circle cx="24.5" cy="24" r="2.2" fill="#b8651a"/>'
        + f'<circle cx="22" cy="8.8" r="1.3" fill="#b8651a"/><circle cx="11" cy="25" r="1.2" fill="#b8651a"/>')


# ---------------------------------------------------------------- backgrounds

def backgrounds():
    # Behind the page stack and full-screen dialogs: near-flat, with a faint dot graticule.
    dots = "".join(f'<circle cx="{x}" cy="{y}" r="0.7"/>' for x in range(12, 240, 24) for y in range(12, 320, 24))
    lower = ('<rect width="240" height="320" fill="url(#lower)"/>'
             '<rect width="240" height="320" fill="url(#glow)"/>'
             f'<g fill="#ffffff" fill-opacity="0.05">{dots}</g>')
    lower_defs = (lin("lower", [(0, "#2b2c30"), (1, "#1b1c1e")])
                  + '<radialGradient id="glow" cx="120" cy="40" r="200" gradientUnits="userSpaceOnUse">'
                    '<stop offset="0" stop-color="#6a8fb0" stop-opacity="0.10"/>'
                    '<stop offset="1" stop-color="#6a8fb0" stop-opacity="0"/></radialGradient>')
    img("main_backgrd_lower", 240, 320, lower, lower_defs)
    # Behind the status bar: its 40-px strip, with a hairline of the accent at the lower
    # edge. Below the strip the picture continues the stack's background, so a status bar
    # widget that reaches over the top of the stack shows no seam.
    img("main_backgrd_upper", 240, 60,
        f'<g transform="translate(0 40)">{lower}</g>'
        '<rect width="240" height="40" fill="url(#upper)"/>'
        '<rect width="240" height="1" fill="#ffffff" fill-opacity="0.08"/>'
        f'<rect y="39" width="240" height="1" fill="{ACCENT}" fill-opacity="0.55"/>',
        lin("upper", [(0, "#3b3c40"), (1, "#232427")]) + lower_defs)


# ---------------------------------------------------------------- bar graph
# Bars are drawn 10 px right of their track's left edge. With the track at y0, the bottom
# strip sits at y0 + 178, fill strips every 2 px upwards from y0 + 176 and, at full scale,
# the top strip at y0 + 8: 166 px of bar between the two caps.

def bar_strips(name, dark, base, light):
    shade = lin(f"{name}Shade", [(0, dark), (0.45, light), (1, dark)], 0, 0, 1, 0)
    img(f"{name}_bar_fill", 10, 2,
        f'<rect width="10" height="1" fill="url(#{name}Shade)"/>'
        f'<rect y="1" width="10" height="1" fill="url(#{name}Shade)"/>'
        f'<rect y="1" width="10" height="1" fill="#000000" fill-opacity="0.2"/>', shade)
    img(f"{name}_bar_bottom", 10, 4,
        f'<path d="M0 0 H10 V1.5 Q10 4 7.5 4 H2.5 Q0 4 0 1.5 Z" fill="url(#{name}Shade)"/>'
        f'<rect width="10" height="4" fill="#000000" fill-opacity="0.15"/>', shade)
    img(f"{name}_bar_top", 10, 4,
        f'<path d="M0 4 V2.5 Q0 0 2.5 0 H7.5 Q10 0 10 2.5 V4 Z" fill="url(#{name}Shade)"/>'
        f'<rect x="2" y="0.6" width="6" height="1.2" rx="0.6" fill="#ffffff" fill-opacity="0.55"/>', shade)


def bar_graph():
    ticks = "".join(f'<rect x="7" y="{round(12 + 16.6 * k)}" width="16" height="1"/>' for k in range(11))
    img("sliderbar", 30, 190,
        '<rect x="5.5" y="3.5" width="19" height="183" rx="6" fill="url(#track)" stroke="#58595d" stroke-width="1"/>'
        '<rect x="6.5" y="4.5" width="17" height="2" rx="1" fill="#000000" fill-opacity="0.35"/>'
        f'<g fill="#ffffff" fill-opacity="0.06">{ticks}</g>'
        '<rect x="6" y="185" width="18" height="1" fill="#ffffff" fill-opacity="0.10"/>',
        lin("track", [(0, "#0e0f10"), (1, "#1b1c1f")]))
    bar_strips("power", GREEN_DARK, GREEN, GREEN_LIGHT)
    bar_strips("rx2", RED_DARK, RED, RED_LIGHT)
    bar_strips("rx3", YELLOW_DARK, YELLOW, YELLOW_LIGHT)

    # Transmit power in percent; 0 % on row 168 and 100 % on row 2 (bar bottom and top).
    out = ""
    for k in range(11):
        y = round(168 - 16.6 * k)
        length = 6 if k % 5 == 0 else 3
        out += f'<rect x="0" y="{y}" width="{length}" height="1" fill="{INK_DIM}"/>'
    for k, label in ((0, "0"), (5, "50"), (10, "100")):
        y = round(168 - 16.6 * k)
        out += text(8, f"{max(y + 3.7, 8.5):.1f}", label, 8.5, TEXT, "normal", "start")
    img("power_scale", 24, 172, out)

    # Trip levels 0..10 at 8.3 px each; level 0 on row 84, level 10 on row 1. Ticks face the
    # two receiver tracks on either side.
    out = ""
    for t in range(11):
        y = round(84 - 8.3 * t)
        length = 4 if t % 5 == 0 else 2
        out += (f'<rect x="0" y="{y}" width="{length}" height="1" fill="{INK_DIM}"/>'
                f'<rect x="{26 - length}" y="{y}" width="{length}" height="1" fill="{INK_DIM}"/>')
    for t in (0, 5, 10):
        y = round(84 - 8.3 * t)
        out += text(13, f"{max(y + 3.7, 8.0):.1f}", str(t), 8.5, TEXT, "normal")
    img("threshold_scale", 26, 90, out)

    # Power-level marker: its line on row 2 marks where a bar of that level ends.
    img("threshold_rule", 30, 5,
        f'<path d="M0 0 L5 2.5 L0 5 Z" fill="{ACCENT_LIGHT}"/>'
        f'<path d="M30 0 L25 2.5 L30 5 Z" fill="{ACCENT_LIGHT}"/>'
        f'<rect x="4" y="2" width="22" height="1" fill="{ACCENT_LIGHT}"/>')
    # Automatic power: a badge whose centre (row 9) is level with the marker's line.
    img("auto_pwr", 19, 19,
        f'<circle cx="9.5" cy="9.5" r="8.6" fill="{ACCENT_DARK}" stroke="{ACCENT_LIGHT}" stroke-width="1.2"/>'
        + text(9.5, 13.6, "A", 11.5, "#ffffff"))
    # Trip-level marker across the RX2 track, the trip scale and the RX3 track; line on row 6.
    img("threshold_btn_rule2", 90, 13,
        f'<path d="M0 2 L6 6.5 L0 11 Z" fill="{AMBER}"/>'
        f'<path d="M90 2 L84 6.5 L90 11 Z" fill="{AMBER}"/>'
        f'<rect x="5" y="6" width="24" height="1" fill="{AMBER}"/>'
        f'<rect x="61" y="6" width="24" height="1" fill="{AMBER}"/>'
        # Across the scale only beside its figures (centred on column 46): never through them.
        f'<path d="M31 6.5 H38 M54 6.5 H59" stroke="{AMBER}" stroke-width="1" stroke-dasharray="2,2" stroke-opacity="0.7"/>')


# ---------------------------------------------------------------- channel toggles, 40 x 26

def toggle(name, label, color, light, dark):
    pill = '<rect x="1" y="1" width="38" height="24" rx="12"'
    img(f"{name}_gray", 40, 26,
        f'{pill} fill="#222326" stroke="#5d5e62" stroke-width="1.5"/>'
        f'<circle cx="9" cy="13" r="2.6" fill="none" stroke="#6b6c70" stroke-width="1.3"/>'
        + text(24.5, 16.6, label, 9.5, "#808185"))
    img(f"{name}_{'green' if color == GREEN else ('red' if color == RED else 'yellow')}", 40, 26,
        f'{pill} fill="url(#{name}On)" stroke="{light}" stroke-width="1.5"/>'
        f'<circle cx="9" cy="13" r="2.6" fill="#1b1c1e"/>'
        + text(24.5, 16.6, label, 9.5, "#16171a"),
        lin(f"{name}On", [(0, light), (0.5, color), (1, dark)]))


def toggles():
    toggle("h_transmit", "TX", GREEN, GREEN_LIGHT, GREEN_DARK)
    toggle("rx1", "RX1", GREEN, GREEN_LIGHT, GREEN_DARK)
    toggle("h_rx2", "RX2", RED, RED_LIGHT, RED_DARK)
    toggle("h_rx3", "RX3", YELLOW, YELLOW_LIGHT, YELLOW_DARK)

    def trace(x0, x1, base, height, color):
        pts = []
        n = 40
        for i in range(n + 1):
            t = i / n
            x = x0 + (x1 - x0) * t
            y = base - height * math.exp(-((t - 0.5) ** 2) / 0.012)
            pts.append(f"{x:.2f} {y:.2f}")
        return stroke("M" + " L".join(pts), color, 1.6)

    frame = f'<rect x="1" y="1" width="38" height="24" rx="4" fill="#1c1d20" stroke="{INK_DIM}" stroke-width="1.5"/>'
    # Shown while both spectra share one plot: pressing it splits them side by side.
    img("h_ry_lr", 40, 26, frame
        + f'<rect x="20" y="4" width="1" height="18" fill="{INK_DIM}"/>'
        + trace(4, 18, 20, 12, RED) + trace(22, 36, 20, 12, YELLOW))
    # Shown while they are split: pressing it lays them over each other again.
    img("h_ry_tb", 40, 26, frame + trace(5, 35, 20, 13, YELLOW) + trace(5, 35, 20, 9, RED))


# ---------------------------------------------------------------- keypad keys, 56 x 56

def keycap(glyph, label, glyph_color=INK):
    return (f'<rect x="2" y="2" width="52" height="52" rx="11" fill="url(#cap)" stroke="{EDGE}" stroke-width="1.5"/>'
            '<rect x="8" y="3.5" width="40" height="1.2" rx="0.6" fill="#ffffff" fill-opacity="0.18"/>'
            f'<g fill="{glyph_color}" stroke="{glyph_color}">{glyph}</g>'
            + text(28, 48.5, label, 9, TEXT))


CAP = lin("cap", [(0, "#55565b"), (1, "#2c2d31")])


def keypad():
    tri = 'stroke-width="1.5" stroke-linejoin="round"'
    keys = {
        "keypad_transmit_up": (f'<path d="M28 11 L39 27 H17 Z" {tri}/>', "TX PWR"),
        "keypad_transmit_down": (f'<path d="M28 31 L39 15 H17 Z" {tri}/>', "TX PWR"),
        "keypad_volume_down": (f'<path d="M18 21 L34 10 V32 Z" {tri}/>', "VOL"),
        "keypad_volume_up": (f'<path d="M38 21 L22 10 V32 Z" {tri}/>', "VOL"),
        "keypad_audio_select": ('<g transform="translate(14.5 7.5) scale(0.58)" stroke-width="2">'
                                + speaker() + waves(INK) + '</g>', "AUDIO"),
        "keypad_select": ('<circle cx="28" cy="21" r="9" fill="none" stroke-width="3"/>'
                          '<circle cx="28" cy="21" r="3.5" stroke="none"/>', "SET"),
        "Menu_button": ('<g stroke="none"><rect x="17" y="12" width="22" height="3.2" rx="1.6"/>'
                        '<rect x="17" y="19.4" width="22" height="3.2" rx="1.6"/>'
                        '<rect x="17" y="26.8" width="22" height="3.2" rx="1.6"/></g>', "MENU"),
    }
    for name, (glyph, label) in keys.items():
        img(name, 56, 56, keycap(glyph, label), CAP)
    power = ('<path d="M22 14.5 A10 10 0 1 0 34 14.5" fill="none" stroke-width="3.2" stroke-linecap="round"/>'
             '<path d="M28 9 V21" fill="none" stroke-width="3.2" stroke-linecap="round"/>')
    img("keypad_power_on", 56, 56, keycap(power, "POWER", ACCENT_LIGHT), CAP)


# ---------------------------------------------------------------- launcher tiles, 80 x 80

def launcher():
    def tile(glyph, caption):
        return glyph + text(40, 75, caption, 10, "#e2e3e5")

    def column(x, h, color, light, dark, gid):
        return (f'<rect x="{x}" y="{58 - h}" width="11" height="{h}" rx="2.5" fill="url(#{gid})"/>',
                lin(gid, [(0, dark), (0.45, light), (1, dark)], 0, 0, 1, 0))

    g, d1 = column(19, 32, GREEN, GREEN_LIGHT, GREEN_DARK, "g")
    r, d2 = column(34.5, 44, RED, RED_LIGHT, RED_DARK, "r")
    y, d3 = column(50, 24, YELLOW, YELLOW_LIGHT, YELLOW_DARK, "y")
    bars = (f'<rect x="14" y="8" width="52" height="52" rx="5" fill="{DEEP}" fill-opacity="0.55"/>' + g + r + y
            + f'<path d="M16 33.5 H64" stroke="{AMBER}" stroke-width="1.5" stroke-dasharray="3,2"/>')
    top("barscreen80", 80, 80, tile(bars, "Bar Graph"), d1 + d2 + d3)

    rnd = random.Random(7)
    def walk(base, spread, n=26):
        pts, v = [], base
        for i in range(n + 1):
            v = max(12, min(56, v + rnd.uniform(-spread, spread)))
            pts.append(f"{13 + 54 * i / n:.1f} {v:.1f}")
        return "M" + " L".join(pts)
    grid = "".join(f'<rect x="14" y="{y}" width="52" height="1"/>' for y in (21, 34, 47))
    chart = (f'<rect x="12" y="8" width="56" height="52" rx="5" fill="{DEEP}" fill-opacity="0.55"/>'
             f'<g fill="#ffffff" fill-opacity="0.07">{grid}</g>'
             + stroke(walk(40, 7), YELLOW, 2) + stroke(walk(30, 8), RED, 2)
             + stroke("M13 18 H67", GREEN, 2))
    top("chartrec80", 80, 80, tile(chart, "Chart"))

    heights = [14, 18, 12, 22, 30, 26, 16, 10, 8, 12, 20, 34, 40, 28, 18, 12, 16, 24, 20, 14, 10, 12]
    hist = f'<rect x="12" y="8" width="56" height="52" rx="5" fill="{DEEP}" fill-opacity="0.55"/>'
    for i, h in enumerate(heights):
        hist += f'<rect x="{15 + i * 2.3:.1f}" y="{57 - h}" width="1.7" height="{h}" fill="{GREEN}"/>'
    hist += (f'<path d="M33.5 13 V57" stroke="{ACCENT_LIGHT}" stroke-width="2" stroke-dasharray="3,2"/>'
             f'<path d="M29.5 10 H37.5 L33.5 15 Z" fill="{ACCENT_LIGHT}"/>')
    top("freqscan80", 80, 80, tile(hist, "Freq Scan"))

    def spectrum(height, width, floor, color, seed):
        rs = random.Random(seed)
        pts = []
        for i in range(61):
            t = i / 60
            y = 56 - floor - height * math.exp(-((t - 0.5) ** 2) / width) - rs.uniform(0, 3)
            pts.append(f"{13 + 54 * t:.1f} {y:.1f}")
        return stroke("M" + " L".join(pts), color, 2)
    spectra = (f'<rect x="12" y="8" width="56" height="52" rx="5" fill="{DEEP}" fill-opacity="0.55"/>'
            + f'<path d="M40 11 V57" stroke="#ffffff" stroke-opacity="0.12" stroke-width="1"/>'
            + spectrum(30, 0.004, 6, YELLOW, 3) + spectrum(40, 0.002, 2, RED, 5))
    img("SpectralDisplayButton", 80, 80, tile(spectra, "Spectrum"))

    keys = ""
    for row in range(3):
        for col in range(3):
            x, yy = 18 + col * 15.5, 10 + row * 15.5
            keys += f'<rect x="{x}" y="{yy}" width="13" height="13" rx="3" fill="url(#cap)" stroke="{EDGE}" stroke-width="1"/>'
    keys += (f'<path d="M40.5 13 L44 19 H37 Z M40.5 51 L44 45 H37 Z M21 32 L27 28.5 V35.5 Z M60 32 L54 28.5 V35.5 Z" fill="{INK}"/>'
             f'<circle cx="40.5" cy="32" r="3" fill="{ACCENT_LIGHT}"/>')
    top("Keyscreen80", 80, 80, tile(keys, "Keypad"), CAP)


# ---------------------------------------------------------------- window icons, 48 x 48

def window_icons():
    img("audioMode_Flaticon_2451", 48, 48,
        f'<circle cx="24" cy="24" r="20" fill="{ACCENT_DARK}" stroke="{ACCENT}" stroke-width="2.5"/>'
        + stroke("M8 25 H16 L19.5 17 L24.5 33 L28.5 12 L32 25 H40", ACCENT_LIGHT, 3))
    card = "M12 5 H30 L38 13 V41 Q38 43 36 43 H12 Q10 43 10 41 V7 Q10 5 12 5 Z"
    img("save_square_arrow_Flaticon_17996", 48, 48,
        f'<path d="{card}" fill="#2a2b2f" stroke="{INK}" stroke-width="2.5" stroke-linejoin="round"/>'
        f'<g fill="{INK_DIM}"><rect x="15" y="9" width="3" height="6" rx="0.8"/><rect x="20.5" y="9" width="3" height="6" rx="0.8"/>'
        f'<rect x="26" y="9" width="3" height="6" rx="0.8"/></g>'
        + stroke("M24 20 V35 M17.5 29 L24 35.5 L30.5 29", ACCENT_LIGHT, 3.5))
    wrench = ("M30.5 6.5 A9 9 0 0 0 22 18 L7.5 32.5 A3.5 3.5 0 0 0 12.5 37.5 L27 23 A9 9 0 0 0 38.5 14.5 "
              "L33 20 L28 18.5 L26.5 13.5 L32 8 Z")
    img("h_tools", 48, 48,
        f'<path d="M34 35 L20.5 21.5" stroke="{ACCENT}" stroke-width="4.5" stroke-linecap="round"/>'
        f'<path d="M33 33 L40.5 40.5" stroke="{ACCENT_LIGHT}" stroke-width="6.5" stroke-linecap="round"/>'
        f'<path d="{wrench}" fill="{INK}" stroke="{INK}" stroke-width="1.2" stroke-linejoin="round"/>')


# ---------------------------------------------------------------- nomenclature, 320 x 72

def nomenclature():
    for name, model in (("nomenclature_kt", "KT"), ("nomenclature_900", "900")):
        tag_w = 22 + 10 * len(model)
        img(name, 320, 72,
            f'<rect x="1" y="1" width="318" height="70" rx="10" fill="url(#plate)" stroke="{EDGE}" stroke-width="1.5"/>'
            f'<rect x="14" y="14" width="4" height="44" rx="2" fill="{ACCENT}"/>'
            + text(30, 43, "QUARN 2.4", 30, "#eceef0", "bold", "start")
            + text(31, 60, "HARMONIC DETECTOR", 10.5, STEEL, "normal", "start")
            + f'<rect x="{304 - tag_w}" y="22" width="{tag_w}" height="26" rx="13" fill="{ACCENT_DARK}" stroke="{ACCENT}" stroke-width="1.5"/>'
            + text(304 - tag_w / 2, 40, model, 15, "#ffffff"),
            lin("plate", [(0, "#3a3b3f"), (1, "#1f2023")]))


if __name__ == "__main__":
    buttons()
    status_bar()
    backgrounds()
    bar_graph()
    toggles()
    keypad()
    launcher()
    window_icons()
    nomenclature()
