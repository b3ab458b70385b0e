/*
 * The emulated board's touch controller (scripts/board-image): QEMU's virtio tablet
 * reports a mouse button and no pressure, which tslib's multi-touch reader (ts_uinput)
 * takes as never touched. This turns it into what a touch controller's driver offers:
 * BTN_TOUCH with ABS_X, ABS_Y and ABS_PRESSURE, and one multi-touch slot, as the input
 * device "QEMU touch screen" (udev links it to /dev/input/touchscreen for tslib).
 *   qemu-touch [--single] TABLET   forks once its device exists
 * --single leaves the multi-touch slot out, as a resistive controller's driver does: then
 * ts_uinput's device has no multi-touch axes either, and the board's launcher hands it to
 * Qt's evdev tablet handler rather than its touch handler.
 */
#include <fcntl.h>
#include <linux/input.h>
#include <linux/uinput.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <unistd.h>

static int emit(int fd, int type, int code, int value)
{
    struct input_event ev;
    memset(&ev, 0, sizeof ev);
    ev.type = type;
    ev.code = code;
    ev.value = value;
    return write(fd, &ev, sizeof ev) == sizeof ev ? 0 : -1;
}

static int absolute_axis(int fd, int code, int max)
{
    struct uinput_abs_setup abs;
    memset(&abs, 0, sizeof abs);
    abs.code = code;
    abs.absinfo.maximum = max;
    return ioctl(fd, UI_ABS_SETUP, &abs);
}

int main(int argc, char** argv)
{
    int single = argc == 3 && strcmp(argv[1], "--single") == 0;
    if (argc != 2 + single) {
        fprintf(stderr, "usage: qemu-touch [--single] TABLET\n");
        return 2;
    }
    const char* path = argv[1 + single];
    int tablet = open(path, O_RDONLY);
    if (tablet < 0 || ioctl(tablet, EVIOCGRAB, 1) < 0) {
        perror(path);
        return 1;
    }
    int out = open("/dev/uinput", O_WRONLY);
    if (out < 0) {
        perror("/dev/uinput");
        return 1;
    }
    struct uinput_setup setup;
    memset(&setup, 0, sizeof setup);
    setup.id.bustype = BUS_VIRTUAL;
    strcpy(setup.name, "QEMU touch screen");
    if (ioctl(out, UI_SET_EVBIT, EV_KEY) < 0 || ioctl(out, UI_SET_KEYBIT, BTN_TOUCH) < 0 ||
        ioctl(out, UI_SET_EVBIT, EV_ABS) < 0 || absolute_axis(out, ABS_X, 32767) < 0 ||
        absolute_axis(out, ABS_Y, 32767) < 0 || absolute_axis(out, ABS_PRESSURE, 255) < 0 ||
        (!single && (absolute_axis(out, ABS_MT_SLOT, 0) < 0 ||
                     absolute_axis(out, ABS_MT_TRACKING_ID, 65535) < 0 ||
                     absolute_axis(out, ABS_MT_POSITION_X, 32767) < 0 ||
                     absolute_axis(out, ABS_MT_POSITION_Y, 32767) < 0 ||
                     absolute_axis(out, ABS_MT_PRESSURE, 255) < 0)) ||
        ioctl(out, UI_DEV_SETUP, &setup) < 0 || ioctl(out, UI_DEV_CREATE) < 0) {
        perror("uinput");
        return 1;
    }
    /* systemd (Type=forking) takes the device as there once the parent has gone. */
    pid_t child = fork();
    if (child < 0)
        return 1;
    if (child > 0)
        return 0;
    setsid();

    struct input_event ev;
    int contact = 0;
    while (read(tablet, &ev, sizeof ev) == sizeof ev) {
        int ok = 0;
        if (ev.type == EV_KEY && ev.code == BTN_LEFT) {
            if (!single)
                ok = emit(out, EV_ABS, ABS_MT_SLOT, 0) |
                     emit(out, EV_ABS, ABS_MT_TRACKING_ID, ev.value ? ++contact & 0xffff : -1) |
                     emit(out, EV_ABS, ABS_MT_PRESSURE, ev.value ? 255 : 0);
            ok |= emit(out, EV_ABS, ABS_PRESSURE, ev.value ? 255 : 0) |
                  emit(out, EV_KEY, BTN_TOUCH, ev.value ? 1 : 0);
        } else if (ev.type == EV_ABS && (ev.code == ABS_X || ev.code == ABS_Y)) {
            ok = emit(out, EV_ABS, ev.code, ev.value);
            if (!single)
                ok |= emit(out, EV_ABS, ev.code == ABS_X ? ABS_MT_POSITION_X : ABS_MT_POSITION_Y,
                           ev.value);
        } else if (ev.type == EV_SYN && ev.code == SYN_REPORT) {
            ok = emit(out, EV_SYN, SYN_REPORT, 0);
        }
        if (ok < 0)
            return 1;
    }
    return 1;
}
