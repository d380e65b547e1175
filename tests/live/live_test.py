#!/usr/bin/python3
"""Live accessibility test of vornalix on a real, if virtual, X display.

Starts Xvfb, a private D-Bus session bus and the accessibility bus, runs the
real program from the build folder, drives it with real key presses and
clicks (xdotool) and reads what a screen reader would read from the
accessibility tree (pyatspi). Everything it starts it ends again. Prints one
line per check and closes with "live: N passed, M failed"; the exit status is
1 when a check failed or the set-up did not come up.
"""

import argparse
import json
import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

APP_NAME = "Vornalix"
STEP_TIMEOUT = 20.0  # seconds for anything to appear in the tree


class SetupError(Exception):
    pass


class Session:
    """The display, the buses and the programs of one run, and their ending."""

    def __init__(self, build):
        self.build = build
        self.program = os.path.join(build, "ui", "vornalix")
        self.tool = os.path.join(build, "tool", "vornalix-tool")
        self.tmp = tempfile.mkdtemp(prefix="vornalix-live-")
        self.runtime = os.path.join(self.tmp, "runtime")
        os.mkdir(self.runtime, 0o700)
        self.processes = []
        self.env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": self.tmp,
            "LANG": "C.UTF-8",
            "XDG_RUNTIME_DIR": self.runtime,
            "XDG_CONFIG_HOME": os.path.join(self.tmp, "config"),
            "XDG_DATA_HOME": os.path.join(self.tmp, "data"),
            "XDG_CACHE_HOME": os.path.join(self.tmp, "cache"),
        }

    def start(self, args, **kwargs):
        process = subprocess.Popen(args, env=self.env, start_new_session=True, stdin=subprocess.DEVNULL, **kwargs)
        self.processes.append(process)
        return process

    def start_display(self):
        read_end, write_end = os.pipe()
        self.start(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                    "-noreset"], pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = read_line(read_end, 20)
        os.close(read_end)
        if not number.strip().isdigit():
            raise SetupError("Xvfb gave no display number")
        self.env["DISPLAY"] = ":" + number.strip()

    def start_session_bus(self):
        process = self.start(["dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address=1"],
                             stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        address = read_line(process.stdout.fileno(), 20).strip()
        if not address:
            raise SetupError("the session bus gave no address")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address

    def start_accessibility_bus(self):
        launcher = next((path for path in ("/usr/libexec/at-spi-bus-launcher",
                                           "/usr/lib/at-spi2-core/at-spi-bus-launcher") if os.path.exists(path)), None)
        if not launcher:
            raise SetupError("at-spi-bus-launcher is not installed")
        self.start([launcher, "--launch-immediately"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 20
        while time.monotonic() < deadline:
            reply = subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
                                    "org.a11y.Bus.GetAddress"], env=self.env, capture_output=True, text=True,
                                   timeout=10)
            if reply.returncode == 0 and "unix:" in reply.stdout:
                return
            time.sleep(0.2)
        raise SetupError("the accessibility bus did not come up")

    def start_program(self, *args):
        env = dict(self.env)
        env.update({
            "QT_QPA_PLATFORM": "xcb",
            "QT_ACCESSIBILITY": "1",
            "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
        })
        log = open(os.path.join(self.tmp, "vornalix-%d.log" % len(self.processes)), "w")
        process = subprocess.Popen([self.program] + list(args), env=env, start_new_session=True,
                                   stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT)
        self.processes.append(process)
        return process

    def run_again(self, *args):
        """A second start of the program, from the run's folder; its exit status."""
        env = dict(self.env)
        env["QT_QPA_PLATFORM"] = "xcb"
        return subprocess.run([self.program] + list(args), env=env, cwd=self.tmp, stdin=subprocess.DEVNULL,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30).returncode

    def stop(self, process):
        if process.poll() is None:
            try:
                os.killpg(process.pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
            try:
                process.wait(5)
            except subprocess.TimeoutExpired:
                try:
                    os.killpg(process.pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
                process.wait(5)

    def close(self):
        for process in reversed(self.processes):
            self.stop(process)
        # Services the buses started on their own carry this run's private
        # runtime folder in their environment: they are ours too.
        for pid in processes_with_environment("XDG_RUNTIME_DIR=" + self.runtime):
            try:
                os.kill(pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        shutil.rmtree(self.tmp, ignore_errors=True)

    def xdotool(self, *args):
        subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env, check=True, timeout=15,
                       stdout=subprocess.DEVNULL)


def read_line(fd, seconds):
    """One line from a pipe, or what came before the time ran out."""
    import select
    data = b""
    deadline = time.monotonic() + seconds
    while not data.endswith(b"\n") and time.monotonic() < deadline:
        ready, _, _ = select.select([fd], [], [], max(0.0, deadline - time.monotonic()))
        if not ready:
            break
        chunk = os.read(fd, 1)
        if not chunk:
            break
        data += chunk
    return data.decode(errors="replace")


def processes_with_environment(entry):
    marker = entry.encode() + b"\0"
    found = []
    for name in os.listdir("/proc"):
        if not name.isdigit() or int(name) == os.getpid():
            continue
        try:
            with open("/proc/%s/environ" % name, "rb") as f:
                if marker in f.read() + b"\0":
                    found.append(int(name))
        except OSError:
            pass
    return found


class Tree:
    """The program's accessibility tree as pyatspi reads it."""

    def __init__(self, pyatspi):
        self.pyatspi = pyatspi
        from gi.repository import GLib
        self.context = GLib.MainContext.default()
        # Popup menus are no children of the application in the tree: a
        # screen reader learns of them from the events they send when shown.
        self.shown = []
        pyatspi.Registry.registerEventListener(self.on_shown, "object:state-changed:showing",
                                               "object:state-changed:focused")

    def on_shown(self, event):
        try:
            if event.detail1:
                self.shown.append(event.source)
        except Exception:
            pass

    def pump(self):
        """Takes in the events that have arrived."""
        while self.context.pending():
            self.context.iteration(False)

    def popup_items(self):
        """The names of the items of each menu shown since the last call, by menu."""
        self.pump()
        menus = []
        for node in self.shown:
            try:
                menu = node if self.role(node) in ("menu", "popup menu") else node.parent
                if menu is not None and self.role(menu) in ("menu", "popup menu") and menu not in menus:
                    menus.append(menu)
            except Exception:
                pass
        return menus

    def application(self):
        desktop = self.pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.name == APP_NAME:
                return app
        return None

    def nodes(self, root, limit=5000):
        """Every node under root, breadth first, without the rows of long tables."""
        queue, seen = [root], 0
        while queue and seen < limit:
            node = queue.pop(0)
            if node is None:
                continue
            seen += 1
            yield node
            try:
                count = min(node.childCount, 200)
            except Exception:
                continue
            for i in range(count):
                try:
                    queue.append(node.getChildAtIndex(i))
                except Exception:
                    pass

    def find_all(self, predicate):
        app = self.application()
        if app is None:
            return []
        found = []
        for node in self.nodes(app):
            try:
                if predicate(node):
                    found.append(node)
            except Exception:
                pass
        return found

    def wait_for(self, predicate, what, timeout=STEP_TIMEOUT):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            self.pump()
            found = self.find_all(predicate)
            if found:
                return found[0]
            time.sleep(0.25)
        raise TimeoutError("not in the accessibility tree after %.0f s: %s" % (timeout, what))

    def wait_gone(self, predicate, what, timeout=STEP_TIMEOUT):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if not self.find_all(predicate):
                return
            time.sleep(0.25)
        raise TimeoutError("still in the accessibility tree after %.0f s: %s" % (timeout, what))

    def role(self, node):
        return node.getRoleName()

    def showing(self, node):
        return node.getState().contains(self.pyatspi.STATE_SHOWING)

    def text(self, node):
        """What the node shows, through its text interface."""
        try:
            text = node.queryText()
        except NotImplementedError:
            return None
        return text.getText(0, text.characterCount)

    def centre(self, node):
        extents = node.queryComponent().getExtents(self.pyatspi.DESKTOP_COORDS)
        return extents.x + extents.width // 2, extents.y + extents.height // 2


class LiveTest:
    def __init__(self, session, tree):
        self.session = session
        self.tree = tree
        self.passed = 0
        self.failed = 0

    def check(self, name, step):
        try:
            step()
        except Exception as error:  # every failure is reported, the run goes on
            self.failed += 1
            print("FAIL %s: %s" % (name, error), flush=True)
        else:
            self.passed += 1
            print("ok   %s" % name, flush=True)

    # Finding and pressing what a person sees.

    def named(self, name, *roles):
        return lambda node: node.name == name and (not roles or self.tree.role(node) in roles) \
            and self.tree.showing(node)

    def click(self, node):
        x, y = self.tree.centre(node)
        # Without --sync, which waits for ever when the pointer is already there.
        self.session.xdotool("mousemove", x, y)
        time.sleep(0.1)
        self.session.xdotool("click", 1)

    def press_button(self, name):
        self.click(self.tree.wait_for(self.named(name, "push button"), 'button "%s"' % name))

    def keys(self, *keys):
        for key in keys:
            self.session.xdotool("key", "--clearmodifiers", key)

    def type_into(self, edit_name, text):
        edit = self.tree.wait_for(self.named(edit_name, "text", "entry"), 'edit "%s"' % edit_name)
        self.click(edit)
        self.session.xdotool("type", "--delay", 40, text)

    def display_shows(self, caption, shown):
        """A display named by its caption whose text is what it shows."""
        self.tree.wait_for(lambda node: node.name == caption and self.tree.text(node) == shown,
                           'display "%s" showing "%s"' % (caption, shown))

    def menu_appears(self, key, items):
        """The key shows a menu that begins with these items (separators not
        counted); Escape closes it again."""
        self.tree.pump()
        self.tree.shown.clear()
        self.keys(key)
        deadline = time.monotonic() + STEP_TIMEOUT
        menu = None
        seen = []
        while menu is None and time.monotonic() < deadline:
            for candidate in self.tree.popup_items():
                try:
                    names = [candidate.getChildAtIndex(i).name for i in range(candidate.childCount)]
                    # A shortcut shown beside an item ("Move Up\tAlt+Up") is not
                    # part of its name everywhere.
                    names = [name.split("\t")[0] for name in names if name]
                    if names not in seen:
                        seen.append(names)
                    if names[:len(items)] == items and self.tree.showing(candidate):
                        menu = candidate
                except Exception:
                    pass
            time.sleep(0.1)
        if menu is None:
            raise TimeoutError("no menu %s shown after %s; menus seen: %s" % (items, key, seen))
        self.keys("Escape")
        deadline = time.monotonic() + STEP_TIMEOUT
        while time.monotonic() < deadline:
            try:
                if not self.tree.showing(menu):
                    return
            except Exception:
                return  # the menu is gone
            time.sleep(0.1)
        raise TimeoutError("the menu %s still shows after Escape" % items)

    def wait_until(self, condition, what, timeout=STEP_TIMEOUT):
        deadline = time.monotonic() + timeout
        last = None
        while time.monotonic() < deadline:
            self.tree.pump()
            try:
                if condition():
                    return
            except Exception as error:
                last = error
            time.sleep(0.2)
        raise TimeoutError("not so after %.0f s: %s%s" % (timeout, what, " (%s)" % last if last else ""))

    def list_table(self):
        return self.tree.wait_for(lambda node: self.tree.role(node) == "table" and self.tree.showing(node),
                                  "the list")

    def list_rows(self):
        """The list's rows, the texts of their first two cells."""
        table = self.list_table().queryTable()
        return [tuple(table.getAccessibleAt(row, column).name for column in range(min(2, table.nColumns)))
                for row in range(table.nRows)]

    def selected_rows(self):
        """The indexes of the list's selected rows, as a screen reader learns them."""
        return sorted(self.list_table().queryTable().getSelectedRows())

    def ask_value(self, key, field, text):
        """A key that asks for one value, and the value typed and confirmed."""
        self.keys(key)
        self.tree.wait_for(self.named(field, "text", "entry"), 'the "%s" field' % field)
        self.session.xdotool("type", "--delay", 40, text)
        self.keys("Return")

    def dialog_appears(self, name):
        """A dialog whose title begins with the name shows; Escape closes it again."""
        found = lambda node: self.tree.role(node) == "dialog" and node.name.startswith(name) \
            and self.tree.showing(node)
        self.tree.wait_for(found, 'the dialog "%s"' % name)
        self.keys("Escape")
        self.tree.wait_gone(found, 'the dialog "%s"' % name)

    def select_row(self, cell_text):
        cell = self.tree.wait_for(self.named(cell_text, "table cell"), 'list cell "%s"' % cell_text)
        self.click(cell)

    # The runs.

    def channel_editor(self):
        program = self.session.start_program()
        try:
            self.check("the launcher appears", lambda: self.tree.wait_for(
                self.named("Frequency Table Edit", "push button"), "the launcher", timeout=40))
            self.check("the channel editor opens", lambda: (
                self.press_button("Frequency Table Edit"),
                self.tree.wait_for(self.named("Create New", "push button"), "the channel editor")))
            self.check("the displays show their template texts", lambda: (
                self.display_shows("Country", "Country"), self.display_shows("Mode", "Unknow")))

            def enter_country():
                self.press_button("Create New")
                self.display_shows("Mode", "Antenna")
                self.type_into("Country Code", "44")
                self.press_button("Enter")
            self.check("country code 44 is entered", enter_country)
            self.check('the Country display reads "United Kingdom"',
                       lambda: self.display_shows("Country", "United Kingdom"))
            self.check('the TV System display reads "PAL_I"', lambda: self.display_shows("TV System", "PAL_I"))
            self.check('the Country Code display reads "44"', lambda: self.display_shows("Country Code", "44"))

            def add_channels():
                for frequency in ("55.25", "62.25", "175.25"):
                    self.type_into("Frequency", frequency)
                    self.keys("Return")
                self.tree.wait_for(self.named("003", "table cell"), "three channels in the list")
                self.display_shows("Antenna Max CH", "3")
            self.check("three channels are appended with Enter", add_channels)

            row_menu = ["Insert Blank Item", "Delete Item", "Move Up", "Move Down", "Move to Channel...",
                        "Offset Frequencies...", "Clear to Empty Slot", "Sort Selection by Frequency",
                        "Fill Raster...", "Undo Add to the end", "Redo"]
            self.check("Shift+F10 opens the row menu", lambda: (
                self.select_row("002"), self.menu_appears("shift+F10", row_menu)))
            self.check("the menu key opens the row menu", lambda: (
                self.select_row("002"), self.menu_appears("Menu", row_menu)))

            def insert_by_keyboard():
                self.select_row("002")
                self.keys("shift+F10")
                time.sleep(1)
                self.keys("Down", "Return")
                self.tree.wait_for(self.named("004", "table cell"), "a fourth row")
                self.tree.wait_for(self.named("--", "table cell"), "the blank channel")
                self.display_shows("Channel Number", "2")
            self.check("a blank channel is inserted at the selected row by keyboard", insert_by_keyboard)

            def undo_and_redo_by_keyboard():
                self.display_shows("Antenna Max CH", "4")
                self.keys("ctrl+z")
                self.display_shows("Antenna Max CH", "3")
                self.keys("ctrl+y")
                self.display_shows("Antenna Max CH", "4")
            self.check("Ctrl+Z takes the blank channel back and Ctrl+Y puts it in again", undo_and_redo_by_keyboard)

            file_menu = ["New", "New from Plan...", "Open...", "Open Recent", "Save", "Save As...", "Import...",
                         "Export...", "Close"]
            self.check("Alt+F opens the File menu of the menu bar", lambda: self.menu_appears("alt+f", file_menu))
            self.check("Alt+E opens the Edit menu, its Undo naming the step",
                       lambda: self.menu_appears("alt+e", ["Undo Insert Blank Item", "Redo"]))

            def go_to_channel_by_keyboard():
                self.select_row("001")
                self.keys("ctrl+g")
                self.tree.wait_for(self.named("Channel:", "text", "entry"), 'the "Channel:" field')
                self.session.xdotool("type", "--delay", 40, "3")
                self.keys("Return")
                self.display_shows("Channel Number", "3")
            self.check("Ctrl+G asks for a channel and shows it", go_to_channel_by_keyboard)

            # The list: 55.25, --, 62.25, 175.25.
            def go_to_then_extend():
                self.select_row("001")
                self.ask_value("ctrl+g", "Channel:", "2")
                self.display_shows("Channel Number", "2")
                self.keys("shift+Down", "shift+Down")
                self.wait_until(lambda: self.selected_rows() == [1, 2, 3], "channels 2 to 4 selected")
            self.check("Shift+Down extends the selection from the channel Go to Channel chose", go_to_then_extend)

            def find_then_extend():
                self.select_row("001")
                self.ask_value("ctrl+f", "Frequency (MHz):", "175.25")
                self.display_shows("Channel Number", "4")
                self.keys("shift+Up")
                self.wait_until(lambda: self.selected_rows() == [2, 3], "channels 3 and 4 selected")
            self.check("Shift+Up extends the selection from the channel Find Frequency chose", find_then_extend)

            self.menu_letters()
        finally:
            self.session.stop(program)

    def menu_letters(self):
        """The Edit menu's letters, those of the pairs that once shared one first,
        and the same letters in the row menu. The list: 55.25, --, 62.25, 175.25."""
        frequencies = lambda: [row[1] for row in self.list_rows()]
        before = ["55.25000", "--", "62.25000", "175.25000"]
        moved = ["55.25000", "62.25000", "--", "175.25000"]

        def move_up_undo_redo():
            self.wait_until(lambda: frequencies() == before, "the list as it was")
            self.select_row("003")
            self.keys("alt+e", "p")
            self.wait_until(lambda: frequencies() == moved, "channel 3 moved up")
            self.keys("alt+e", "u")
            self.wait_until(lambda: frequencies() == before, "the move undone")
            self.keys("alt+e", "r")
            self.wait_until(lambda: frequencies() == moved, "the move redone")
        self.check("Alt+E then P moves up, U undoes, R redoes", move_up_undo_redo)
        self.check("Alt+E then O opens Offset Frequencies", lambda: (
            self.select_row("001"), self.keys("alt+e", "o"), self.dialog_appears("Offset Frequencies")))
        self.check("Alt+E then I opens Fill Raster", lambda: (
            self.select_row("001"), self.keys("alt+e", "i"), self.dialog_appears("Fill Raster")))

        def sort_selection():
            self.select_row("001")
            self.keys("shift+Down", "shift+Down", "shift+Down")
            self.wait_until(lambda: self.selected_rows() == [0, 1, 2, 3], "every channel selected")
            self.keys("alt+e", "s")
            self.wait_until(lambda: frequencies() == ["55.25000", "62.25000", "175.25000", "--"], "the list sorted")
            self.keys("ctrl+z")
            self.wait_until(lambda: frequencies() == moved, "the sort undone")
        self.check("Alt+E then S sorts the selection", sort_selection)

        def row_menu_letters():
            self.select_row("002")
            self.keys("Menu")
            time.sleep(1)
            self.keys("p")
            self.wait_until(lambda: frequencies() == ["62.25000", "55.25000", "--", "175.25000"],
                            "channel 2 moved up from the row menu")
            self.keys("Menu")
            time.sleep(1)
            self.keys("u")
            self.wait_until(lambda: frequencies() == moved, "undone from the row menu")
            self.select_row("001")
            self.keys("Menu")
            time.sleep(1)
            self.keys("o")
            self.dialog_appears("Offset Frequencies")
        self.check("the row menu answers the same letters", row_menu_letters)

    def open_in_running_instance(self):
        """A second start with files while the channel editor is open, and the
        converter it opens, which Enter never closes."""
        source = os.path.join(self.session.tmp, "de-v2.json")
        with open(source, "w") as f:
            json.dump({"format": "ccf", "country_code": 49,
                       "air": {"frequencies": [48.25, 55.25, 62.25, 175.25, 182.25]},
                       "cable": {"frequencies": [112.25]}}, f)
        subprocess.run([self.session.tool, "build", source, "-o", os.path.join(self.session.tmp, "de-v2.ccf")],
                       check=True, timeout=30, stdout=subprocess.DEVNULL)
        # An old table: a header, one air and one cable entry, the trailer.
        old = struct.pack("<Ii16xHHI", 0, 33, 2, 1, 0)
        for frequency in (55.25, 62.25, 112.25):
            old += struct.pack("<fHH", frequency, 0, 0)
        old += struct.pack("<HHHH8x", 1, 2, 1, 1)
        with open(os.path.join(self.session.tmp, "fr.cft"), "wb") as f:
            f.write(old)

        program = self.session.start_program()
        try:
            self.check("the channel editor opens from the launcher", lambda: (
                self.tree.wait_for(self.named("Frequency Table Edit", "push button"), "the launcher", timeout=40),
                self.press_button("Frequency Table Edit"),
                self.tree.wait_for(self.named("Create New", "push button"), "the channel editor")))

            def second_start_loads():
                status = self.session.run_again("de-v2.ccf")
                if status != 0:
                    raise AssertionError("the second start ended with %d" % status)
                self.display_shows("Country", "Germany")
                self.display_shows("Antenna Max CH", "5")
                self.tree.wait_for(self.named("182.25000", "table cell"), "the fifth channel")
                # The window's title names the file, without "*": it is as saved.
                self.tree.wait_for(self.named("de-v2.ccf \u2013 Vornalix", "dialog"), "the title naming the file")
            self.check("vornalix FILE loads the table into the running editor", second_start_loads)

            def second_start_without_files():
                if self.session.run_again() != 0:
                    raise AssertionError("the second start failed")
                time.sleep(1)
                self.display_shows("Antenna Max CH", "5")
            self.check("a second start without files changes nothing", second_start_without_files)

            def old_table_opens_converter():
                if self.session.run_again("fr.cft") != 0:
                    raise AssertionError("the second start failed")
                self.tree.wait_for(self.named("Convert Now", "push button"), "the converter")
                self.tree.wait_for(lambda node: self.tree.text(node) == "---", "the converter loaded")
            self.check("an old table opens the converter on top of the editor", old_table_opens_converter)

            def enter_keeps_converter():
                self.keys("Return")
                self.tree.wait_for(lambda node: self.tree.text(node) == "Convert OK, Save to File",
                                   "the conversion done")
                if not os.path.exists(os.path.join(self.session.tmp, "fr.ccf")):
                    raise AssertionError("fr.ccf was not written")
                # Enter now works Load File, whose file dialog Escape closes.
                self.keys("Return")
                time.sleep(2)
                self.keys("Escape")
                time.sleep(1)
                self.tree.wait_for(self.named("Exit", "push button"), "the converter still open")
                self.tree.wait_for(lambda node: self.tree.text(node) == "Convert OK, Save to File",
                                   "the converter's status")
                self.press_button("Exit")
                self.tree.wait_gone(self.named("Convert Now", "push button"), "the converter")
            self.check("Enter after a conversion leaves the converter open", enter_keeps_converter)
        finally:
            self.session.stop(program)

    def tuner_editor(self):
        table = os.path.join(self.session.tmp, "tuners.tsf")
        entry = {"factory": 0x12, "tuner_type": 0x07, "low_band_start": 48.25, "mid_band_start": 160.0,
                 "high_band_start": 450.0, "high_band_end": 863.25, "picture_carrier": 38.9, "low_code": 0xA1,
                 "mid_code": 0x92, "high_code": 0x34}
        source = os.path.join(self.session.tmp, "tuners.json")
        with open(source, "w") as f:
            json.dump({"format": "tsf", "entries": [entry, dict(entry, tuner_type=0x21)]}, f)
        subprocess.run([self.session.tool, "build", source, "-o", table], check=True, timeout=30,
                       stdout=subprocess.DEVNULL)
        program = self.session.start_program(table)
        try:
            self.check("the tuner editor opens with the table loaded", lambda: self.tree.wait_for(
                self.named("001", "table cell"), "the second tuner row", timeout=40))
            self.check("Shift+F10 opens the tuner row menu", lambda: (
                self.select_row("001"), self.menu_appears("shift+F10", ["Delete Tuner"])))
            self.check("the menu key opens the tuner row menu", lambda: (
                self.select_row("000"), self.menu_appears("Menu", ["Delete Tuner"])))
            self.check("the tuner details tell what they show", lambda: (
                self.select_row("000"), self.display_shows("Low Band", "48.25 ~ 160.00 MHz")))
        finally:
            self.session.stop(program)

    def lost_work(self):
        """Unsaved work of a killed program: the next start's editor offers it
        in a bar, and Restore brings it back, unsaved."""
        table = os.path.join(self.session.tmp, "de.ccf")
        subprocess.run([self.session.tool, "build", "--country-plan", "Germany", "-o", table], check=True,
                       timeout=30, stdout=subprocess.DEVNULL)
        # A state folder of this run's own, so that no other run's copies are offered.
        state = os.path.join(self.session.tmp, "lost-work-state")
        recovery = os.path.join(state, "vornalix", "recovery")
        saved_state = self.session.env.get("XDG_STATE_HOME")
        self.session.env["XDG_STATE_HOME"] = state
        program = self.session.start_program(table)
        try:
            def edit_then_kill():
                # A long list's rows are read through its table, not as children of the tree.
                self.wait_until(lambda: len(self.list_rows()) == 69, "the table's 69 antenna channels", timeout=40)
                self.type_into("Frequency", "859.25")
                self.keys("Return")
                self.wait_until(lambda: len(self.list_rows()) == 70, "the channel added")
                self.wait_until(lambda: any(name.endswith(".ccf") for name in os.listdir(recovery)),
                                "the recovery copy written")
                os.kill(program.pid, signal.SIGKILL)
                program.wait(10)
            self.check("unsaved work has a copy when the program is killed", edit_then_kill)
        finally:
            self.session.stop(program)
        program = self.session.start_program()
        try:
            bar_text = lambda node: node.name.startswith("Unsaved work from an earlier session: de.ccf, ") \
                and node.name.endswith(", 70 antenna and 107 cable channels") and self.tree.showing(node)

            def bar_offers_the_work():
                self.press_button("Frequency Table Edit")
                self.tree.wait_for(self.named("Create New", "push button"), "the channel editor")
                self.tree.wait_for(bar_text, "the bar telling of the unsaved work")
                self.tree.wait_for(self.named("Show All...", "push button"), "the bar's Show All...")
                self.tree.wait_for(self.named("Discard", "push button"), "the bar's Discard")
            self.check("the channel editor's bar offers the killed program's work", bar_offers_the_work)

            def restore_brings_it_back():
                self.press_button("Restore")
                self.wait_until(lambda: ("070", "859.25000") in self.list_rows(), "channel 70 at 859.25 MHz")
                rows = self.list_rows()
                if len(rows) != 70 or rows[0][0] != "001":
                    raise AssertionError("restored rows: %s" % rows[:3])
                self.tree.wait_gone(bar_text, "the bar, once nothing is left to offer")
                self.wait_until(lambda: any("de.ccf*" in title for title in self.window_titles()),
                                'a window title with "de.ccf*"')
            self.check("Restore in the bar brings the work back, unsaved", restore_brings_it_back)
        finally:
            self.session.stop(program)
            if saved_state is None:
                self.session.env.pop("XDG_STATE_HOME", None)
            else:
                self.session.env["XDG_STATE_HOME"] = saved_state

    def window_titles(self):
        """The titles of the display's windows named after a table, as the window manager reads them."""
        found = subprocess.run(["xdotool", "search", "--name", r"\.ccf"], env=self.session.env,
                               capture_output=True, text=True, timeout=15)
        titles = []
        for window in found.stdout.split():
            name = subprocess.run(["xdotool", "getwindowname", window], env=self.session.env,
                                  capture_output=True, text=True, timeout=15)
            titles.append(name.stdout.strip())
        return titles


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", required=True, help="the build folder with ui/vornalix and tool/vornalix-tool")
    args = parser.parse_args()

    session = Session(os.path.abspath(args.build))
    test = None
    try:
        for path in (session.program, session.tool):
            if not os.access(path, os.X_OK):
                raise SetupError("%s is missing: build first" % path)
        session.start_display()
        session.start_session_bus()
        session.start_accessibility_bus()
        # pyatspi finds the accessibility bus through the session bus at import.
        os.environ.update(session.env)
        import pyatspi
        test = LiveTest(session, Tree(pyatspi))
        test.channel_editor()
        test.tuner_editor()
        test.open_in_running_instance()
        test.lost_work()
    except SetupError as error:
        print("live: set-up failed: %s" % error, flush=True)
    finally:
        session.close()
    passed = test.passed if test else 0
    failed = test.failed if test else 1
    print("live: %d passed, %d failed" % (passed, failed), flush=True)
    return 0 if test and failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
