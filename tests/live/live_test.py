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

    # A laptop's screen, with a desktop panel's strip along the bottom kept
    # free by the window manager.
    SCREEN = (1366, 768)
    PANEL = 32

    def start_display(self):
        read_end, write_end = os.pipe()
        self.start(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "%dx%dx24" % self.SCREEN, "-nolisten",
                    "tcp", "-noreset"], pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = read_line(read_end, 20)
        os.close(read_end)
        if not number.strip().isdigit():
            raise SetupError("Xvfb gave no display number")
        self.env["DISPLAY"] = ":" + number.strip()
        self.start_window_manager()

    def start_window_manager(self):
        """Openbox, so that maximizing, focus and the work area are real."""
        config = os.path.join(self.tmp, "openbox-rc.xml")
        with open(config, "w") as f:
            f.write("""<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <margins><top>0</top><bottom>%d</bottom><left>0</left><right>0</right></margins>
  <focus><focusNew>yes</focusNew><followMouse>no</followMouse></focus>
  <placement><policy>Smart</policy></placement>
  <mouse><context name="Client"><mousebind button="Left" action="Press">
    <action name="Focus"/><action name="Raise"/></mousebind></context></mouse>
</openbox_config>
""" % self.PANEL)
        self.start(["openbox", "--config-file", config], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 20
        while time.monotonic() < deadline:
            if self.work_area():
                return
            time.sleep(0.2)
        raise SetupError("the window manager did not come up")

    def work_area(self):
        """The work area the window manager keeps (x, y, width, height), or None."""
        reply = subprocess.run(["xprop", "-root", "_NET_WORKAREA"], env=self.env, capture_output=True, text=True,
                               timeout=10)
        numbers = [int(n) for n in reply.stdout.replace(",", " ").split("=")[-1].split() if n.isdigit()]
        return tuple(numbers[:4]) if reply.returncode == 0 and len(numbers) >= 4 else None

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

    def start_program(self, *args, scale=None, home=None):
        env = dict(self.env)
        if home:
            # A first start: settings, unsaved work and data of its own.
            for variable, folder in (("XDG_CONFIG_HOME", "config"), ("XDG_STATE_HOME", "state"),
                                     ("XDG_DATA_HOME", "data")):
                env[variable] = os.path.join(home, folder)
                os.makedirs(env[variable], exist_ok=True)
        env.update({
            "QT_QPA_PLATFORM": "xcb",
            "QT_ACCESSIBILITY": "1",
            "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
        })
        if scale:
            env["QT_SCALE_FACTOR"] = str(scale)
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

    def menu_letter(self, key, letter):
        """The key opens a menu, and once it shows the letter chooses its item:
        a letter typed before the menu takes the keyboard would go to the list."""
        self.tree.pump()
        self.tree.shown.clear()
        self.keys(key)
        self.wait_until(lambda: any(self.tree.showing(menu) for menu in self.tree.popup_items()),
                        "a menu shown after %s" % key)
        self.keys(letter)

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

    def x_window_titles(self):
        """The titles of the program's windows as X has them, as a window list shows them."""
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "."], env=self.session.env,
                               capture_output=True, text=True, timeout=15)
        titles = []
        for window in found.stdout.split():
            name = subprocess.run(["xdotool", "getwindowname", window], env=self.session.env,
                                  capture_output=True, text=True, timeout=15)
            titles.append(name.stdout.rstrip("\n"))
        return titles

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
                        "Offset Frequencies...", "Round Frequencies...", "Clear to Empty Slot",
                        "Sort Selection by Frequency", "Fill Down", "Fill Series...",
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
                self.tree.wait_for(self.named("empty", "table cell"), "the blank channel")
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
                         "Export...", "Compare With...", "Close"]
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

    def choose_in_file_dialog(self, title, path):
        """Qt's own file dialog, titled so, given a path in its name field."""
        found = lambda node: self.tree.role(node) == "dialog" and node.name == title and self.tree.showing(node)
        self.tree.wait_for(found, 'the file dialog "%s"' % title)
        self.wait_until(lambda: self.active_window_title() == title, 'the file dialog "%s" active' % title)
        self.keys("ctrl+a")
        self.session.xdotool("type", "--delay", 20, path)
        self.keys("Return")
        self.tree.wait_gone(found, 'the file dialog "%s"' % title)

    def germany_from_its_plan(self):
        """From the launcher, the channel editor and New from Plan for Germany:
        its 69 antenna channels."""
        self.tree.wait_for(self.named("Frequency Table Edit", "push button"), "the launcher", timeout=40)
        self.press_button("Frequency Table Edit")
        self.tree.wait_for(self.named("Create New", "push button"), "the channel editor")
        self.keys("ctrl+p")
        self.tree.wait_for(self.named("Filter (country or plan):", "text", "entry"), "the plan filter")
        self.session.xdotool("type", "--delay", 40, "Germany")
        self.keys("Return")
        self.wait_until(lambda: len(self.list_rows()) == 69, "Germany's 69 antenna channels")

    def whole_job(self):
        """A table from its country's plan, a bulk edit and its undo, exported,
        changed, imported back and saved, through the menus and the file
        dialogs a person uses: the saved file is the tool's own build of it."""
        folder = os.path.join(self.session.tmp, "whole-job")
        os.makedirs(folder, exist_ok=True)
        exported = os.path.join(folder, "germany.json")
        saved = os.path.join(folder, "germany.ccf")
        reference = os.path.join(folder, "reference.ccf")
        subprocess.run([self.session.tool, "build", "--country-plan", "Germany", "-o", reference], check=True,
                       timeout=30, stdout=subprocess.DEVNULL)
        frequencies = lambda: [row[1] for row in self.list_rows()]
        planned = []
        program = self.session.start_program(home=os.path.join(folder, "home"))
        try:
            def from_the_plan():
                self.germany_from_its_plan()
                self.display_shows("Country Code", "49")
                planned.extend(frequencies())
                if planned[:3] != ["48.25 MHz", "49.75 MHz", "55.25 MHz"]:
                    raise AssertionError("first rows: %s" % planned[:3])
            self.check("whole job: New from Plan makes Germany's table", from_the_plan)

            def offset_then_undo():
                self.select_row("003")
                self.keys("shift+Down")
                self.wait_until(lambda: self.selected_rows() == [2, 3], "channels 3 and 4 selected")
                self.menu_letter("alt+e", "o")
                self.tree.wait_for(self.named("Offset (MHz):", "text", "entry"), 'the "Offset (MHz):" field')
                self.session.xdotool("type", "--delay", 40, "0.5")
                self.keys("Return")
                self.wait_until(lambda: frequencies()[1:5] == ["49.75 MHz", "55.75 MHz", "62.75 MHz", "175.25 MHz"],
                                "channels 3 and 4 half a megahertz higher")
                self.keys("ctrl+z")
                self.wait_until(lambda: frequencies() == planned, "the offset undone")
            self.check("whole job: an offset of two channels, and its undo", offset_then_undo)

            def export_change_import():
                self.keys("alt+f", "e")
                self.choose_in_file_dialog("Export", exported)
                self.wait_until(lambda: os.path.exists(exported), "the JSON file written")
                with open(exported, encoding="utf-8") as stream:
                    table = json.load(stream)
                if table.get("country_code") != 49:
                    raise AssertionError("exported country code: %s" % table.get("country_code"))
                self.select_row("001")
                self.keys("shift+F10")
                time.sleep(1)
                self.keys("Down", "Down", "Return")
                self.wait_until(lambda: len(self.list_rows()) == 68, "channel 1 deleted")
                self.keys("alt+f", "i")
                self.choose_in_file_dialog("Import", exported)
                self.wait_until(lambda: frequencies() == planned, "the exported table back")
                self.display_shows("Country Code", "49")
            self.check("whole job: exported, a channel deleted, and the export imported back", export_change_import)

            def save_as():
                self.keys("ctrl+shift+s")
                self.choose_in_file_dialog("Save As", saved)
                self.wait_until(lambda: os.path.exists(saved), "the table saved")
                with open(saved, "rb") as mine, open(reference, "rb") as tools:
                    if mine.read() != tools.read():
                        raise AssertionError("the saved table differs from vornalix-tool build --country-plan")
                self.wait_until(lambda: "germany.ccf \u2013 Vornalix" in self.x_window_titles(),
                                "the title naming the saved file, unmarked")
            self.check("whole job: Save As writes the tool's own build of the table", save_as)
        finally:
            self.session.stop(program)

    def cell_editing(self):
        """Frequencies typed into their cells of the list, as in a spreadsheet:
        a double-click, F2, Enter, Tab, Escape and undo, read back through the
        accessibility tree. Germany's plan begins 48.25, 49.75, 55.25, 62.25."""
        program = self.session.start_program(home=os.path.join(self.session.tmp, "cell-editing"))
        frequencies = lambda: [row[1] for row in self.list_rows()]
        def is_cell_editor(node):
            return node.name == "Frequency(MHz)" and self.tree.role(node) in ("text", "entry") \
                and node.getState().contains(self.tree.pyatspi.STATE_FOCUSED)

        # A cell's editor is no child of the table's cells in the tree: a
        # screen reader learns of it from its focus event, and so does the test.
        def cell_editor_focused():
            self.tree.pump()
            return any(is_cell_editor(node) for node in list(self.tree.shown))

        def cell_editor():
            self.wait_until(cell_editor_focused, "the cell's editor focused")
            self.tree.shown.clear()
        planned = []
        try:
            def double_click_and_enter():
                self.germany_from_its_plan()
                planned.extend(frequencies())
                x, y = self.tree.centre(self.tree.wait_for(self.named("003", "table cell"), 'list cell "003"'))
                self.session.xdotool("mousemove", x, y)
                time.sleep(0.1)
                self.tree.pump()
                self.tree.shown.clear()
                self.session.xdotool("click", "--repeat", 2, "--delay", 80, 1)
                cell_editor()
                self.keys("ctrl+a")
                self.session.xdotool("type", "--delay", 40, "56.25")
                self.keys("Return")
                self.wait_until(lambda: frequencies()[2] == "56.25 MHz", "channel 3 at 56.25 MHz")
                if len(self.list_rows()) != 69:
                    raise AssertionError("Enter in the cell changed the rows: %d" % len(self.list_rows()))
            self.check("cells: a double-click on a row opens its frequency, Enter commits it", double_click_and_enter)

            def f2_tab_escape():
                self.tree.pump()
                self.tree.shown.clear()
                self.keys("F2")
                cell_editor()
                self.keys("ctrl+a")
                self.session.xdotool("type", "--delay", 40, "57.25")
                self.keys("Tab")
                self.wait_until(lambda: frequencies()[2] == "57.25 MHz", "channel 3 at 57.25 MHz")
                cell_editor()
                self.session.xdotool("type", "--delay", 40, "99")
                self.keys("Escape")
                self.wait_until(lambda: self.list_table().getState().contains(self.tree.pyatspi.STATE_FOCUSED),
                                "the list focused again")
                if frequencies()[3] != planned[3]:
                    raise AssertionError("Escape kept %s in channel 4" % frequencies()[3])
            self.check("cells: F2 opens the current row's, Tab commits and goes on, Escape cancels", f2_tab_escape)

            def undo_each():
                self.keys("ctrl+z")
                self.wait_until(lambda: frequencies()[2] == "56.25 MHz", "the Tab's commit undone")
                self.keys("ctrl+z")
                self.wait_until(lambda: frequencies() == planned, "the plan's frequencies again")
            self.check("cells: each commit is one step of undo", undo_each)
        finally:
            self.session.stop(program)

    def compare_with(self):
        """File > Compare With... by its letter: the tool's Germany beside the
        plan with channel 3 typed anew, the window's cells read through the
        accessibility tree, F8 to the difference and Copy to This Table by its
        letter."""
        folder = os.path.join(self.session.tmp, "compare-with")
        os.makedirs(folder, exist_ok=True)
        reference = os.path.join(folder, "reference.ccf")
        subprocess.run([self.session.tool, "build", "--country-plan", "Germany", "-o", reference], check=True,
                       timeout=30, stdout=subprocess.DEVNULL)
        title = "Compare With reference.ccf"
        program = self.session.start_program(home=os.path.join(folder, "home"))

        def compared():
            # The rows' view, found by its header's first cell: Qt names a
            # tree view's role by its model, the cells are a table's.
            cell = self.tree.wait_for(lambda node: self.tree.role(node) == "table cell"
                                      and node.name == "country code" and self.tree.showing(node),
                                      "the compare window's rows")
            return cell.parent.queryTable()

        def compare_row(row):
            table = compared()
            return [table.getAccessibleAt(row, column).name for column in range(table.nColumns)]
        # The header's three rows lead, then the antenna list's channels.
        third = 3 + 2
        try:
            def open_by_keys():
                self.germany_from_its_plan()
                self.select_row("003")
                self.keys("F2", "ctrl+a")
                self.session.xdotool("type", "--delay", 40, "56.25")
                self.keys("Return")
                self.wait_until(lambda: self.list_rows()[2][1] == "56.25 MHz", "channel 3 at 56.25 MHz")
                self.menu_letter("alt+f", "m")
                self.choose_in_file_dialog("Compare With", reference)
                self.wait_until(lambda: compare_row(third) == ["Antenna", "003", "56.25000", "55.25000", "changed"],
                                "channel 3 marked changed beside the reference")
                self.wait_until(lambda: any(name.startswith(title) for name in self.x_window_titles()),
                                "the window titled %s" % title)
                if compare_row(2)[4] != "" or compare_row(third + 1)[4] != "":
                    raise AssertionError("rows that do not differ are marked: %s" % [compare_row(2), compare_row(6)])
            self.check("compare: File > Compare With... shows the two tables' cells, the difference marked",
                       open_by_keys)

            def next_difference_and_copy():
                self.keys("F8")
                self.wait_until(lambda: list(compared().getSelectedRows()) == [third], "F8 on channel 3's row")
                self.keys("alt+c")
                self.wait_until(lambda: compare_row(third) == ["Antenna", "003", "55.25000", "55.25000", ""],
                                "channel 3 taken from the reference")
            self.check("compare: F8 goes to the difference, Copy to This Table takes it", next_difference_and_copy)
        finally:
            self.session.stop(program)

    def columns_and_matrix(self):
        """View > Columns by its letters shows the plan channel beside each
        frequency of Germany's plan; Table > Coverage Matrix... by its letters
        counts the table against a tuner table of a wide tuner and one that
        tunes nothing, its cells read through the accessibility tree."""
        folder = os.path.join(self.session.tmp, "columns-and-matrix")
        os.makedirs(folder, exist_ok=True)
        tuners_json = os.path.join(folder, "tuners.json")
        tuners = os.path.join(folder, "tuners.tsf")
        entry = {"picture_carrier": 38.9, "picture_carrier2": 0, "low_code": 1, "mid_code": 2,
                 "high_code": 8, "reserved": 0}
        wide = dict(entry, factory=1, tuner_type=0, low_band_start=44, mid_band_start=140.25,
                    high_band_start=463.25, high_band_end=958)
        none = dict(entry, factory=0x12, tuner_type=5, low_band_start=1, mid_band_start=2, high_band_start=3,
                    high_band_end=4)
        with open(tuners_json, "w", encoding="utf-8") as stream:
            json.dump({"format": "tsf", "entries": [wide, none]}, stream)
        subprocess.run([self.session.tool, "build", tuners_json, "-o", tuners], check=True, timeout=30,
                       stdout=subprocess.DEVNULL)
        program = self.session.start_program(home=os.path.join(folder, "home"))

        def cell(name):
            return lambda node: self.tree.role(node) == "table cell" and node.name == name \
                and self.tree.showing(node)
        try:
            def plan_column():
                self.germany_from_its_plan()
                self.menu_letter("alt+v", "c")
                self.tree.wait_for(lambda node: node.name == "Plan" and self.tree.showing(node),
                                   "the Columns submenu")
                self.keys("p")
                table = lambda: self.list_table().queryTable()
                self.wait_until(lambda: table().nColumns == 3, "the list with a third column")
                self.wait_until(lambda: table().getAccessibleAt(0, 2).name == "1",
                                "48.25 MHz named channel 1 of Germany's broadcast plan")
            self.check("columns: View > Columns > Plan shows each channel's plan channel", plan_column)

            def matrix_cells():
                self.menu_letter("alt+t", "m")
                self.choose_in_file_dialog("Coverage Matrix", tuners)
                self.tree.wait_for(cell("Germany, 01:00: 0 outside"), "the wide tuner's cell")
                self.tree.wait_for(cell("Germany, 12:05: 168 outside"), "the other tuner's cell")
            self.check("matrix: Table > Coverage Matrix... counts the open table against each tuner", matrix_cells)
        finally:
            self.session.stop(program)

    def menu_letters(self):
        """The Edit menu's letters, those of the pairs that once shared one first,
        and the same letters in the row menu. The list: 55.25, --, 62.25, 175.25."""
        frequencies = lambda: [row[1] for row in self.list_rows()]
        before = ["55.25 MHz", "empty", "62.25 MHz", "175.25 MHz"]
        moved = ["55.25 MHz", "62.25 MHz", "empty", "175.25 MHz"]

        def move_up_undo_redo():
            self.wait_until(lambda: frequencies() == before, "the list as it was")
            self.select_row("003")
            self.menu_letter("alt+e", "p")
            self.wait_until(lambda: frequencies() == moved, "channel 3 moved up")
            self.menu_letter("alt+e", "u")
            self.wait_until(lambda: frequencies() == before, "the move undone")
            self.menu_letter("alt+e", "r")
            self.wait_until(lambda: frequencies() == moved, "the move redone")
        self.check("Alt+E then P moves up, U undoes, R redoes", move_up_undo_redo)
        self.check("Alt+E then O opens Offset Frequencies", lambda: (
            self.select_row("001"), self.menu_letter("alt+e", "o"), self.dialog_appears("Offset Frequencies")))
        self.check("Alt+E then I opens Fill Raster", lambda: (
            self.select_row("001"), self.menu_letter("alt+e", "i"), self.dialog_appears("Fill Raster")))

        def sort_selection():
            self.select_row("001")
            self.keys("shift+Down", "shift+Down", "shift+Down")
            self.wait_until(lambda: self.selected_rows() == [0, 1, 2, 3], "every channel selected")
            self.menu_letter("alt+e", "s")
            self.wait_until(lambda: frequencies() == ["55.25 MHz", "62.25 MHz", "175.25 MHz", "empty"],
                            "the list sorted")
            self.keys("ctrl+z")
            self.wait_until(lambda: frequencies() == moved, "the sort undone")
        self.check("Alt+E then S sorts the selection", sort_selection)

        def row_menu_letters():
            self.select_row("002")
            self.menu_letter("Menu", "p")
            self.wait_until(lambda: frequencies() == ["62.25 MHz", "55.25 MHz", "empty", "175.25 MHz"],
                            "channel 2 moved up from the row menu")
            self.menu_letter("Menu", "u")
            self.wait_until(lambda: frequencies() == moved, "undone from the row menu")
            self.select_row("001")
            self.menu_letter("Menu", "o")
            self.dialog_appears("Offset Frequencies")
        self.check("the row menu answers the same letters", row_menu_letters)

    def plan_labels(self):
        """A row whose frequency a plan of the table's country names says so in
        its description, as a screen reader reads it, and follows the country code."""
        def descriptions():
            table = self.list_table().queryTable()
            return [table.getAccessibleAt(row, 1).description for row in range(table.nRows)]

        program = self.session.start_program()
        try:
            self.tree.wait_for(self.named("Frequency Table Edit", "push button"), "the launcher", timeout=40)
            self.press_button("Frequency Table Edit")
            self.tree.wait_for(self.named("Create New", "push button"), "the channel editor")

            def germany():
                self.press_button("Create New")
                self.display_shows("Mode", "Antenna")
                self.type_into("Country Code", "49")
                self.press_button("Enter")
                self.display_shows("Country Code", "49")
                for frequency in ("175.25", "178"):
                    self.type_into("Frequency", frequency)
                    self.keys("Return")
                self.tree.wait_for(self.named("002", "table cell"), "two channels in the list")
                self.wait_until(lambda: descriptions() == ["Channel 5 in broadcast plan ms-western-europe-broadcast",
                                                           ""], "the first row named by the German plan")
            self.check("plan labels: a row's description names its channel in the country's plan", germany)

            def united_kingdom_and_back():
                self.type_into("Country Code", "44")
                self.press_button("Enter")
                self.display_shows("Country Code", "44")
                self.wait_until(lambda: descriptions() == ["Channel 4 in broadcast plan ms-united-kingdom-broadcast",
                                                           ""], "the first row named by the British plan")
                self.keys("ctrl+z")
                self.display_shows("Country Code", "49")
                self.wait_until(lambda: descriptions()[0] == "Channel 5 in broadcast plan ms-western-europe-broadcast",
                                "the German label back after undo")
            self.check("plan labels: the descriptions follow the country code and its undo", united_kingdom_and_back)
        finally:
            self.session.stop(program)

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
                self.tree.wait_for(self.named("182.25 MHz", "table cell"), "the fifth channel")
                # The window's name and title name the file, without "*": it is as saved.
                self.tree.wait_for(self.named("de-v2.ccf \u2013 Vornalix channel table editor", "dialog"),
                                   "the window's name naming the file")
                titles = self.x_window_titles()
                if "de-v2.ccf \u2013 Vornalix" not in titles:
                    raise AssertionError("no X window titled \"de-v2.ccf \u2013 Vornalix\" in %s" % titles)
            self.check("vornalix FILE loads the table into the running editor", second_start_loads)

            def second_start_without_files():
                # Table Check is the active window; a start without files
                # leaves it so, and raises no other.
                self.keys("F7")
                self.tree.wait_for(lambda node: node.name == "Table Check" and self.tree.showing(node),
                                   'the window "Table Check"')
                self.wait_until(lambda: self.active_window_title().startswith("Table Check"),
                                "Table Check the active window")
                active = self.active_window()
                if self.session.run_again() != 0:
                    raise AssertionError("the second start failed")
                time.sleep(1)
                if self.active_window() != active:
                    raise AssertionError("the second start made %r active" % self.active_window_title())
                self.display_shows("Antenna Max CH", "5")
            self.check("a second start without files changes nothing, not even the active window",
                       second_start_without_files)

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

    def extents(self, node):
        e = node.queryComponent().getExtents(self.pyatspi_coords())
        return e.x, e.y, e.width, e.height

    def pyatspi_coords(self):
        return self.tree.pyatspi.DESKTOP_COORDS

    def active_window(self):
        out = subprocess.run(["xdotool", "getactivewindow"], env=self.session.env, capture_output=True, text=True,
                             timeout=15)
        return out.stdout.strip()

    def active_window_title(self):
        out = subprocess.run(["xdotool", "getactivewindow", "getwindowname"], env=self.session.env,
                             capture_output=True, text=True, timeout=15)
        return out.stdout.strip()

    def window(self):
        """Both editors grow and maximize with only their list growing, open inside the work area, and every
        control of the tuner editor can be brought on screen."""
        area = self.session.work_area()

        def inside_work_area(box):
            x, y, w, h = box
            ax, ay, aw, ah = area
            return x >= ax and y >= ay and x + w <= ax + aw and y + h <= ay + ah

        def grows_with_its_list(opener, list_name, fixed_names):
            window = self.active_window()
            table = self.list_table()
            fixed = [self.tree.wait_for(self.named(n, "push button"), n) for n in fixed_names]
            before = self.extents(table)
            sizes = [self.extents(f)[2:] for f in fixed]
            if not inside_work_area(before):
                raise AssertionError("%s opened outside the work area %s: %s" % (opener, area, before))
            # Larger by hand, as the window manager resizes it.
            geometry = subprocess.run(["xdotool", "getwindowgeometry", window], env=self.session.env,
                                      capture_output=True, text=True, timeout=15).stdout
            width, height = [int(v) for v in geometry.split("Geometry:")[1].split()[0].split("x")]
            self.session.xdotool("windowsize", window, width + 150, min(height + 20, area[3] - 40))
            time.sleep(1)
            grown = self.extents(table)
            if grown[2] < before[2] + 100:
                raise AssertionError("the list did not grow with the window: %s then %s" % (before, grown))
            for f, size in zip(fixed, sizes):
                if self.extents(f)[2:] != size:
                    raise AssertionError("%s changed size: %s then %s" % (f.name, size, self.extents(f)[2:]))
            # Maximized the list takes the room.
            subprocess.run(["wmctrl", "-i", "-r", window, "-b", "add,maximized_vert,maximized_horz"],
                           env=self.session.env, check=True, timeout=15)
            time.sleep(1.5)
            big = self.extents(table)
            if big[2] < grown[2] + 200 or not inside_work_area(big):
                raise AssertionError("maximized, the list is %s (work area %s)" % (big, area))
            subprocess.run(["wmctrl", "-i", "-r", window, "-b", "remove,maximized_vert,maximized_horz"],
                           env=self.session.env, check=True, timeout=15)
            time.sleep(1)

        program = self.session.start_program()
        try:
            self.check("window: the work area leaves the panel's strip free",
                       lambda: self.wait_until(lambda: area and area[3] == Session.SCREEN[1] - Session.PANEL,
                                               "a work area of %s" % (area,)))
            self.tree.wait_for(self.named("Frequency Table Edit", "push button"), "the launcher", timeout=40)
            self.press_button("Frequency Table Edit")
            self.tree.wait_for(self.named("Create New", "push button"), "the channel editor")
            time.sleep(1)
            self.check("window: the channel editor grows and maximizes, only its list growing",
                       lambda: grows_with_its_list("the channel editor", "Frequency Table",
                                                   ["Exit", "Create New", "SaveToFile"]))
            self.press_button("Exit")
            self.tree.wait_for(self.named("Tuner Specification Edit", "push button"), "the launcher")
            self.press_button("Tuner Specification Edit")
            self.tree.wait_for(self.named("Add Info", "push button"), "the tuner editor")
            time.sleep(1)

            def every_control_on_screen():
                editor = self.tree.wait_for(self.named("Add Info", "push button"), "the tuner editor")
                # A new table enables the drop-down lists below the fold.
                self.press_button("Create New")
                time.sleep(0.5)
                # Every control Tab reaches comes into view inside the work area when it has the focus.
                seen = set()
                for _ in range(40):
                    self.keys("Tab")
                    time.sleep(0.15)
                    focused = [n for n in self.tree.find_all(
                        lambda node: node.getState().contains(self.tree.pyatspi.STATE_FOCUSED))]
                    for node in focused:
                        box = self.extents(node)
                        if box[2] > 0 and not inside_work_area(box):
                            raise AssertionError("%s (%s) has the focus off screen at %s" % (
                                node.name, self.tree.role(node), box))
                        seen.add((node.name, self.tree.role(node)))
                if len(seen) < 7 or ("Exit", "push button") not in seen:
                    raise AssertionError("Tab reached only %s" % sorted(seen))
                del editor
            self.check("window: every control of the tuner editor comes on screen with Tab", every_control_on_screen)
            self.check("window: the tuner editor grows and maximizes, only its list growing",
                       lambda: grows_with_its_list("the tuner editor", "Tuner Table", ["Exit", "Add Info", "Load File"]))
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

    def accessibility(self):
        """What a screen reader reads: the windows' names beside their unchanged
        titles, the inputs named by their labels, no hidden buttons, the open
        row and bar menus in the application's tree with their items' states,
        the findings window as a window, and the list cells' spoken texts."""
        program = self.session.start_program()
        app_menus = lambda: [node for node in (self.tree.application().getChildAtIndex(i)
                                               for i in range(self.tree.application().childCount))
                             if node is not None and self.tree.role(node) in ("menu", "popup menu")]
        shown_children = lambda node: [node.getChildAtIndex(i) for i in range(node.childCount)]

        def items_of(menu):
            """Each item's name and whether it can be chosen, separators left out."""
            items = []
            for item in shown_children(menu):
                if item is None or self.tree.role(item) == "separator":
                    continue
                items.append((item.name.split("\t")[0],
                              item.getState().contains(self.tree.pyatspi.STATE_ENABLED)))
            return items

        def title_is(title):
            titles = self.x_window_titles()
            if title not in titles:
                raise AssertionError('no X window titled "%s" in %s' % (title, titles))

        def not_in_tree(root, name):
            hidden = [node for node in self.tree.nodes(root)
                      if node.name == name and self.tree.role(node) == "push button"]
            if hidden:
                raise AssertionError('a button "%s" is in the tree: %s' % (name, hidden))

        try:
            def launcher_named():
                launcher = self.tree.wait_for(self.named("Vornalix launcher", "dialog"), "the launcher", timeout=40)
                title_is("Vornalix")
                not_in_tree(launcher, "Cancel")
                self.tree.wait_for(self.named("OK", "push button"), "the launcher's OK")
            self.check("a11y: the launcher is named apart from its title, without its hidden Cancel", launcher_named)

            editor = []

            def editor_named():
                self.press_button("Frequency Table Edit")
                editor.append(self.tree.wait_for(self.named("Vornalix channel table editor", "dialog"),
                                                 "the channel editor"))
                title_is("Vornalix")
                not_in_tree(editor[0], "OK")
            self.check("a11y: the channel editor is named apart from its title, without its hidden OK", editor_named)

            def inputs_named():
                self.press_button("Create New")
                self.display_shows("Mode", "Antenna")
                combo = self.tree.wait_for(lambda node: self.tree.role(node) == "combo box" and self.tree.showing(node),
                                           "the Mode drop-down")
                if combo.name != "Mode":
                    raise AssertionError('the drop-down showing "Antenna" is named "%s"' % combo.name)
                # What it shows is read after the name, and the label is its label.
                shown = combo.queryText().getText(0, -1)
                if shown != "Antenna":
                    raise AssertionError('the drop-down "Mode" reads %r, not "Antenna"' % shown)
                pyatspi = self.tree.pyatspi
                labels = [relation.getTarget(i).name for relation in combo.getRelationSet()
                          if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY
                          for i in range(relation.getNTargets())]
                if "Mode" not in labels:
                    raise AssertionError('the drop-down is labelled by %s, not by "Mode"' % labels)
                for name in ("Frequency", "Country Code"):
                    self.tree.wait_for(self.named(name, "text", "entry"), 'the field "%s"' % name)
            self.check('a11y: the inputs are named by their labels, the Mode drop-down "Mode" reading "Antenna"',
                       inputs_named)

            def cells_spoken():
                self.type_into("Frequency", "55.25")
                self.keys("Return")
                self.tree.wait_for(self.named("55.25 MHz", "table cell"), 'the cell "55.25 MHz"')
                # A table with unsaved changes and no file yet.
                self.tree.wait_for(self.named("Vornalix channel table editor*", "dialog"), "the name with its *")
                title_is("Vornalix*")
                self.select_row("001")
                self.keys("shift+F10")
                time.sleep(1)
                self.keys("Down", "Return")
                self.tree.wait_for(self.named("empty", "table cell"), 'the cell "empty"')
                self.wait_until(lambda: self.list_rows() == [("001", "empty"), ("002", "55.25 MHz")],
                                "the rows read 001 empty, 002 55.25 MHz")
            self.check('a11y: list cells read "empty" and "55.25 MHz", numbers as shown', cells_spoken)

            def row_menu_in_tree():
                self.select_row("001")
                if app_menus():
                    raise AssertionError("a menu is among the application's children before one opens")
                # What the application tells of its children, as a screen reader hears it.
                changes = []

                def on_children_changed(event):
                    try:
                        if self.tree.role(event.source) != "application":
                            return
                    except Exception:
                        return
                    try:
                        role = self.tree.role(event.any_data)
                    except Exception:
                        role = None  # the menu's object may be gone already
                    changes.append((event.type.split(":")[-1], "menu" if role and "menu" in role else role))
                self.tree.pyatspi.Registry.registerEventListener(on_children_changed, "object:children-changed")
                told = lambda kind, roles: lambda: any(k == kind and role in roles for k, role in changes)
                self.keys("shift+F10")
                menu = []
                self.wait_until(lambda: menu.extend(app_menus()) or menu,
                                "the row menu among the application's children")
                items = dict(items_of(menu[0]))
                # Nothing has been undone: Redo cannot be chosen; a blank can be inserted.
                expected = {"Insert Blank Item": True, "Undo Insert Blank Item": True, "Redo": False}
                got = {name: items.get(name) for name in expected}
                if got != expected:
                    raise AssertionError("row menu items read %s, all: %s" % (got, items))
                self.wait_until(told("add", ["menu"]), "the application telling of the menu added (%s)" % changes)
                self.keys("Escape")
                self.wait_until(lambda: not app_menus(), "the row menu gone from the application's children")
                self.wait_until(told("remove", ["menu", None]),
                                "the application telling of the menu removed (%s)" % changes)
                self.tree.pyatspi.Registry.deregisterEventListener(on_children_changed, "object:children-changed")
            self.check("a11y: the open row menu, its items and their states are in the application's tree",
                       row_menu_in_tree)

            def bar_menu_in_tree():
                self.keys("alt+e")
                found = []

                def bar_menu_shown():
                    found[:] = [node for node in self.tree.nodes(editor[0])
                                if self.tree.role(node) in ("menu", "popup menu") and self.tree.showing(node)
                                and [name for name, _ in items_of(node)][:2] == ["Undo Insert Blank Item", "Redo"]]
                    return found
                self.wait_until(bar_menu_shown, "the open Edit menu in the editor's tree")
                # Nothing has been undone: Redo cannot be chosen.
                states = items_of(found[0])[:2]
                if states != [("Undo Insert Blank Item", True), ("Redo", False)]:
                    raise AssertionError("the Edit menu's items read %s" % states)
                self.keys("Escape")
                self.wait_until(lambda: not bar_menu_shown(), "the Edit menu closed")
            self.check("a11y: the open Edit menu and its items' states are in the application's tree",
                       bar_menu_in_tree)

            def findings_window():
                self.keys("F7")
                window = self.tree.wait_for(lambda node: node.name == "Table Check" and self.tree.showing(node)
                                            and self.tree.role(node) in ("frame", "window", "dialog"),
                                            'the window "Table Check"')
                windows = [(node.name, self.tree.role(node)) for node in shown_children(self.tree.application())]
                if (window.name, self.tree.role(window)) not in windows:
                    raise AssertionError("the findings window is not among the application's windows %s" % windows)
            self.check("a11y: the findings window reads as a window named by its title", findings_window)
        finally:
            self.session.stop(program)

        table = os.path.join(self.session.tmp, "a11y.tsf")
        source = os.path.join(self.session.tmp, "a11y.json")
        with open(source, "w") as f:
            json.dump({"format": "tsf", "entries": [{
                "factory": 0x12, "tuner_type": 0x07, "low_band_start": 48.25, "mid_band_start": 160.0,
                "high_band_start": 450.0, "high_band_end": 863.25, "picture_carrier": 38.9, "low_code": 0xA1,
                "mid_code": 0x92, "high_code": 0x34}]}, f)
        subprocess.run([self.session.tool, "build", source, "-o", table], check=True, timeout=30,
                       stdout=subprocess.DEVNULL)
        program = self.session.start_program(table)
        try:
            def tuner_editor_named():
                editor = self.tree.wait_for(self.named("a11y.tsf \u2013 Vornalix tuner table editor", "dialog"),
                                            "the tuner editor named with its file", timeout=40)
                title_is("a11y.tsf \u2013 Tuner Specification Edit")
                not_in_tree(editor, "OK")
                inputs = [node.name for node in self.tree.nodes(editor) if self.tree.role(node) in ("text", "entry")]
                for name in ("Low Band Start", "High Band End", "Low band code", "Mid band code", "High band code",
                             "Picture Carrier", "Picture Carrier 2"):
                    if name not in inputs:
                        raise AssertionError('no field "%s" among %s' % (name, inputs))
                combos = [node.name for node in self.tree.nodes(editor) if self.tree.role(node) == "combo box"]
                if sorted(combos) != ["Factory", "Tuner Type"]:
                    raise AssertionError("the drop-downs are named %s" % combos)
            self.check("a11y: the tuner editor's name, title, band code fields and drop-downs", tuner_editor_named)
        finally:
            self.session.stop(program)

    def status_line(self):
        """The status line below the channel editor's controls, read as a
        screen reader reads it, after a load, an edit and a save; and its
        check summary, which opens the findings window."""
        table = os.path.join(self.session.tmp, "status.ccf")
        source = os.path.join(self.session.tmp, "status.json")
        with open(source, "w") as f:
            json.dump({"format": "ccf", "country_code": 49,
                       "air": {"frequencies": [48.25, 55.25, 62.25]}, "cable": {"frequencies": [112.25]}}, f)
        subprocess.run([self.session.tool, "build", source, "-o", table], check=True, timeout=30,
                       stdout=subprocess.DEVNULL)

        def part(name):
            # Not the menu bar's "File" menu: the status line's parts are a
            # button and displays.
            return self.tree.wait_for(
                lambda node: self.named(name)(node) and not self.tree.role(node).startswith("menu"),
                'the status line\'s "%s"' % name)

        def window_title():
            return subprocess.run(["xdotool", "search", "--name", "status.ccf", "getwindowname"],
                                  env=self.session.env, timeout=15, capture_output=True, text=True).stdout

        def summary_is(text):
            self.wait_until(lambda: part("Check").description == text, 'the summary "%s"' % text)

        program = self.session.start_program(table)
        try:
            def loaded():
                self.wait_until(lambda: part("File").description == table, "the file's whole path")
                self.wait_until(lambda: self.tree.text(part("List")) == "Antenna: 3 channels, 1\u20133",
                                "the list shown")
                summary_is("No problems")
                self.wait_until(lambda: "status.ccf \u2013" in window_title(), "the title without *")
            self.check("the status line shows the file, the list and the check after a load", loaded)

            def edited():
                self.type_into("Frequency", "55.25")
                self.keys("Return")
                self.wait_until(lambda: self.tree.text(part("List")) == "Antenna: 4 channels, 1\u20134",
                                "the list grown")
                summary_is("1 warning")
                self.wait_until(lambda: "status.ccf*" in window_title(), "the title with *")
            self.check("an edit changes the list and the check summary", edited)

            def saved():
                self.keys("ctrl+s")
                self.wait_until(lambda: self.tree.text(part("Note")) == "Saved status.ccf", "the note")
                self.wait_until(lambda: "status.ccf*" not in window_title(), "the title without *")
            self.check("a save leaves its note", saved)

            def summary_opens_findings():
                list_box = self.extents(self.list_table())
                self.click(part("Check"))
                window = self.tree.wait_for(lambda node: node.name == "Table Check" and self.tree.showing(node),
                                            "the findings window")
                # Beside the editor: the rows a finding selects stay in view.
                time.sleep(0.5)
                x, y, w, h = self.extents(window)
                lx, ly, lw, lh = list_box
                if x < lx + lw and lx < x + w and y < ly + lh and ly < y + h:
                    raise AssertionError("the findings window %s covers the list %s" % ((x, y, w, h), list_box))
            self.check("activating the check summary opens the findings window beside the list",
                       summary_opens_findings)
        finally:
            self.session.stop(program)

    def clipboard(self):
        """Copy and Paste of channel rows with the desktop's keys: the rows
        selected in the list, read back from the X clipboard by xclip as
        another program reads them, and a list of values that xclip put on
        the clipboard pasted before the current row and read through AT-SPI."""
        table = os.path.join(self.session.tmp, "clipboard.ccf")
        source = os.path.join(self.session.tmp, "clipboard.json")
        with open(source, "w") as f:
            json.dump({"format": "ccf", "country_code": 44,
                       "air": {"frequencies": [48.25, 55.25, 62.25, 175.25]}, "cable": {"frequencies": [112.25]}}, f)
        subprocess.run([self.session.tool, "build", source, "-o", table], check=True, timeout=30,
                       stdout=subprocess.DEVNULL)
        frequencies = lambda: [row[1] for row in self.list_rows()]

        def put_clipboard(text):
            # xclip stays behind to serve the text until another owner takes
            # the clipboard; the session ends it with the display.
            subprocess.run(["xclip", "-i", "-selection", "clipboard"], env=self.session.env, input=text, text=True,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=15, check=True)

        program = self.session.start_program(table)
        try:
            def copy_rows():
                self.wait_until(lambda: frequencies() == ["48.25 MHz", "55.25 MHz", "62.25 MHz", "175.25 MHz"],
                                "the list loaded")
                self.select_row("002")
                self.keys("shift+Down")
                self.wait_until(lambda: self.selected_rows() == [1, 2], "channels 2 and 3 selected")
                self.keys("ctrl+c")
                self.wait_until(lambda: self.read_clipboard() == "2\t55.25\n3\t62.25\n", "the two rows on the clipboard")
            self.check("Ctrl+C in the list puts the selected rows on the clipboard", copy_rows)

            def paste_values():
                put_clipboard("471.25\n479.25\n")
                self.select_row("001")
                self.keys("ctrl+v")
                self.wait_until(lambda: frequencies() == ["471.25 MHz", "479.25 MHz", "48.25 MHz", "55.25 MHz",
                                                          "62.25 MHz", "175.25 MHz"], "the values before channel 1")
                self.wait_until(lambda: self.selected_rows() == [0, 1], "the pasted rows selected")
                self.keys("ctrl+z")
                self.wait_until(lambda: len(frequencies()) == 4, "the paste undone")
            self.check("Ctrl+V pastes a list of values before the current row, one step", paste_values)
        finally:
            self.session.stop(program)

    def read_clipboard(self):
        """The X clipboard's text, as another program reads it."""
        return subprocess.run(["xclip", "-o", "-selection", "clipboard"], env=self.session.env,
                              capture_output=True, text=True, timeout=15).stdout

    def silent_clipboard(self):
        """Ctrl+V while the clipboard's owner never answers (xclip stopped
        once it owns the clipboard): the window stays live and says so. Run
        last: the stopped owner may hold up other programs' selections."""
        table = os.path.join(self.session.tmp, "silent.ccf")
        source = os.path.join(self.session.tmp, "silent.json")
        with open(source, "w") as f:
            json.dump({"format": "ccf", "country_code": 44,
                       "air": {"frequencies": [48.25, 55.25]}, "cable": {"frequencies": [112.25]}}, f)
        subprocess.run([self.session.tool, "build", source, "-o", table], check=True, timeout=30,
                       stdout=subprocess.DEVNULL)
        frequencies = lambda: [row[1] for row in self.list_rows()]

        program = self.session.start_program(table)
        try:
            def silent_owner():
                # xclip in the foreground, stopped once it owns the clipboard:
                # it never answers, and the paste must not wait for it.
                self.wait_until(lambda: frequencies() == ["48.25 MHz", "55.25 MHz"], "the list loaded")
                self.select_row("001")
                before = frequencies()
                owner = subprocess.Popen(["xclip", "-quiet", "-i", "-selection", "clipboard"], env=self.session.env,
                                         stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                try:
                    owner.stdin.write(b"500.25\n")
                    owner.stdin.close()
                    self.wait_until(lambda: self.read_clipboard() == "500.25\n", "xclip owning the clipboard")
                    os.kill(owner.pid, signal.SIGSTOP)
                    self.keys("ctrl+v")
                    note = self.tree.wait_for(
                        lambda node: self.named("Note")(node) and not self.tree.role(node).startswith("menu"),
                        "the status line's note")
                    self.wait_until(lambda: self.tree.text(note) == "The clipboard did not answer",
                                    "the note that the clipboard did not answer", timeout=5)
                    if frequencies() != before:
                        raise AssertionError("the list changed: %s" % frequencies())
                finally:
                    os.kill(owner.pid, signal.SIGCONT)
                    owner.kill()
                    owner.wait(5)
            self.check("Ctrl+V with a clipboard owner that never answers says so within a second or two",
                       silent_owner)
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
                self.wait_until(lambda: ("070", "859.25 MHz") in self.list_rows(), "channel 70 at 859.25 MHz")
                rows = self.list_rows()
                if len(rows) != 70 or rows[0][0] != "001":
                    raise AssertionError("restored rows: %s" % rows[:3])
                self.tree.wait_gone(bar_text, "the bar, once nothing is left to offer")
                self.wait_until(lambda: any("de.ccf*" in title for title in self.x_window_titles()),
                                'a window title with "de.ccf*"')
            self.check("Restore in the bar brings the work back, unsaved", restore_brings_it_back)
        finally:
            self.session.stop(program)
            if saved_state is None:
                self.session.env.pop("XDG_STATE_HOME", None)
            else:
                self.session.env["XDG_STATE_HOME"] = saved_state

    def drag_and_drop(self):
        """Table files dragged from a file manager and dropped on the running
        channel editor, through the X server's drag and drop protocol (XDND): a
        stand-in for the file manager starts a real drag, xdotool moves the
        pointer and lets go over the editor's list."""
        source_program = os.path.join(self.session.build, "tests", "vornalix-drag-source")
        if not os.access(source_program, os.X_OK):
            def missing():
                raise AssertionError("%s is missing: build first" % source_program)
            self.check("the drag source is built", missing)
            return
        folder = os.path.join(self.session.tmp, "dropped")
        os.mkdir(folder)
        source = os.path.join(folder, "nl.json")
        with open(source, "w") as f:
            json.dump({"format": "ccf", "country_code": 31,
                       "air": {"frequencies": [48.25, 55.25, 62.25, 175.25]}, "cable": {"frequencies": []}}, f)
        dutch = os.path.join(folder, "nl-drop.ccf")
        subprocess.run([self.session.tool, "build", source, "-o", dutch], check=True, timeout=30,
                       stdout=subprocess.DEVNULL)
        # One tuner entry, factory 03 and tuner type 12.
        tuners = os.path.join(folder, "drop.tsf")
        with open(tuners, "wb") as f:
            f.write(struct.pack("<4s4sIII", b"\x00\xcb\x00\x00", b"TNSP", 1, 0x03, 0x12) + bytes(56)
                    + b"\x00\x00\xff\xff")
        notes = os.path.join(folder, "notes.txt")
        with open(notes, "w") as f:
            f.write("not a table\n")

        def drag(files, target):
            """Drags the files from the stand-in onto the centre of the target
            node; the action the target took, as the source learned it."""
            env = dict(self.session.env)
            env["QT_QPA_PLATFORM"] = "xcb"
            dragger = subprocess.Popen([source_program] + files, env=env, start_new_session=True,
                                       stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
            self.session.processes.append(dragger)
            try:
                found = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name",
                                        "^vornalix drag source$"], env=self.session.env, capture_output=True,
                                       text=True, timeout=STEP_TIMEOUT)
                window = found.stdout.split()[0]
                # Beside the target, where it covers nothing the drop needs.
                tx, ty = self.tree.centre(target)
                area = self.session.work_area()
                x = area[0] + 10 if tx > area[0] + area[2] // 2 else area[0] + area[2] - 230
                self.session.xdotool("windowmove", window, x, area[1] + area[3] - 170)
                time.sleep(0.5)
                geometry = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window], env=self.session.env,
                                          capture_output=True, text=True, timeout=15).stdout
                values = dict(line.split("=", 1) for line in geometry.split() if "=" in line)
                sx = int(values["X"]) + int(values["WIDTH"]) // 2
                sy = int(values["Y"]) + int(values["HEIGHT"]) // 2
                self.session.xdotool("mousemove", sx, sy)
                time.sleep(0.3)
                self.session.xdotool("mousedown", 1)
                time.sleep(0.5)
                for step in range(1, 11):
                    self.session.xdotool("mousemove", sx + (tx - sx) * step // 10, sy + (ty - sy) * step // 10)
                    time.sleep(0.1)
                time.sleep(0.5)
                self.session.xdotool("mouseup", 1)
                return read_line(dragger.stdout.fileno(), STEP_TIMEOUT).strip()
            finally:
                self.session.stop(dragger)

        program = self.session.start_program()
        try:
            self.check("the channel editor opens for the drops", lambda: (
                self.tree.wait_for(self.named("Frequency Table Edit", "push button"), "the launcher", timeout=40),
                self.press_button("Frequency Table Edit"),
                self.tree.wait_for(self.named("Create New", "push button"), "the channel editor")))

            def channel_table_loads():
                taken = drag([dutch], self.list_table())
                if taken != "copy":
                    raise AssertionError("the editor answered the drop with %r, not a copy" % taken)
                self.display_shows("Country", "Netherlands")
                self.tree.wait_for(self.named("175.25 MHz", "table cell"), "the fourth channel")
                self.wait_until(lambda: "nl-drop.ccf \u2013 Vornalix" in self.x_window_titles(),
                                'an X window titled "nl-drop.ccf \u2013 Vornalix"')
                if len(self.list_rows()) != 4:
                    raise AssertionError("rows after the drop: %s" % self.list_rows())
            self.check("a channel table dropped on the channel editor loads into it", channel_table_loads)

            def other_files_refused():
                taken = drag([notes], self.list_table())
                if taken != "ignore":
                    raise AssertionError("a text file's drop was answered with %r" % taken)
                self.display_shows("Country", "Netherlands")
                if len(self.list_rows()) != 4:
                    raise AssertionError("rows after the refused drop: %s" % self.list_rows())
            self.check("a file that is no table is refused by the editor", other_files_refused)

            def tuner_table_opens_tuner_editor():
                taken = drag([tuners], self.list_table())
                if taken != "copy":
                    raise AssertionError("the editor answered the drop with %r, not a copy" % taken)
                self.tree.wait_for(self.named("Add Info", "push button"), "the tuner editor")
                self.tree.wait_for(self.named("03", "table cell"), "the dropped tuner entry's factory")
                self.wait_until(lambda: "drop.tsf \u2013 Tuner Specification Edit" in self.x_window_titles(),
                                'an X window titled "drop.tsf \u2013 Tuner Specification Edit"')
                self.keys("Escape")
                self.tree.wait_gone(self.named("Add Info", "push button"), "the tuner editor")
                self.display_shows("Country", "Netherlands")
            self.check("a tuner table dropped on the channel editor opens the tuner editor",
                       tuner_table_opens_tuner_editor)
        finally:
            self.session.stop(program)

    def scaled_windows(self):
        """At scale 2 the screen is half as large to the program: the launcher,
        the channel editor, New from Plan and Table Check still open wholly
        inside the work area."""
        area = self.session.work_area()

        def active_window_inside(what):
            def inside():
                window = self.active_window()
                geometry = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window], env=self.session.env,
                                          capture_output=True, text=True, timeout=15).stdout
                values = dict(line.split("=", 1) for line in geometry.split() if "=" in line)
                x, y, w, h = (int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))
                ax, ay, aw, ah = area
                return x >= ax and y >= ay and x + w <= ax + aw and y + h <= ay + ah
            self.wait_until(inside, "%s inside the work area %s" % (what, area))

        def press(name):
            # By its action: at scale 2 the tree's positions are not the pointer's.
            button = self.tree.wait_for(self.named(name, "push button"), 'button "%s"' % name, timeout=40)
            button.queryAction().doAction(0)

        # A first start at this scale: no window sizes remembered from the
        # other steps' windows at scale 1, and no unsaved work of theirs
        # offered in a bar.
        program = self.session.start_program(scale=2, home=os.path.join(self.session.tmp, "home-scale-2"))
        try:
            def launcher_and_editor():
                self.tree.wait_for(self.named("Frequency Table Edit", "push button"), "the launcher", timeout=40)
                active_window_inside("the launcher")
                press("Frequency Table Edit")
                self.tree.wait_for(self.named("Create New", "push button"), "the channel editor")
                active_window_inside("the channel editor")
            self.check("scale 2: the launcher and the channel editor open inside the work area", launcher_and_editor)

            def plan_chooser():
                self.keys("ctrl+p")
                self.tree.wait_for(lambda node: self.tree.role(node) == "dialog" and node.name.startswith("New from Plan")
                                   and self.tree.showing(node), 'the dialog "New from Plan"')
                active_window_inside("New from Plan")
                self.keys("Escape")
            self.check("scale 2: New from Plan opens inside the work area", plan_chooser)

            def findings():
                press("Create New")
                self.display_shows("Mode", "Antenna")
                self.keys("F7")
                self.tree.wait_for(lambda node: node.name == "Table Check" and self.tree.showing(node),
                                   'the window "Table Check"')
                self.wait_until(lambda: self.active_window_title().startswith("Table Check"),
                                "Table Check the active window")
                active_window_inside("Table Check")
            self.check("scale 2: Table Check opens inside the work area", findings)
        finally:
            self.session.stop(program)

    def band_chart(self):
        """Table > Band Chart opened by keys in the channel editor: its window's
        title, and its marks read through AT-SPI as a screen reader reads them."""
        table = os.path.join(self.session.tmp, "chart.ccf")
        source = os.path.join(self.session.tmp, "chart.json")
        with open(source, "w") as f:
            json.dump({"format": "ccf", "country_code": 49,
                       "air": {"frequencies": [48.25, 0, 55.25, 175.25]}, "cable": {"frequencies": [112.25]}}, f)
        subprocess.run([self.session.tool, "build", source, "-o", table], check=True, timeout=30,
                       stdout=subprocess.DEVNULL)
        title = "Band Chart \u2013 chart.ccf"
        program = self.session.start_program(table)
        try:
            def chart_opens_by_keys():
                self.tree.wait_for(self.named("175.25 MHz", "table cell"), "the loaded table")
                self.keys("alt+t", "b")
                self.tree.wait_for(lambda node: node.name == title and self.tree.showing(node),
                                   'the window "%s"' % title)
                self.wait_until(lambda: title in self.x_window_titles(), 'an X window titled "%s"' % title)
            self.check("Table > Band Chart opens by keys, titled after the table", chart_opens_by_keys)

            def marks_read_as_a_list():
                chart = self.tree.wait_for(lambda node: node.name == "Band chart" and self.tree.role(node) == "list",
                                           "the chart as a list")
                names = [chart.getChildAtIndex(i).name for i in range(chart.childCount)]
                # Channels 4 and cable 1 lie where the country's plans name
                # another channel; the marks say so.
                expected = ["air channel 1, 48.25 MHz", "air channel 3, 55.25 MHz",
                            "air channel 4, 175.25 MHz, plan channel 5", "cable channel 1, 112.25 MHz, plan channel 11"]
                if names != expected:
                    raise AssertionError("marks read: %s" % names)
                if self.tree.role(chart.getChildAtIndex(0)) != "list item":
                    raise AssertionError("a mark reads as %s" % self.tree.role(chart.getChildAtIndex(0)))
            self.check("the chart's marks read as list items", marks_read_as_a_list)
        finally:
            self.session.stop(program)



    def check_against_tuner(self):
        """Table > Check Against Tuner... from the keyboard: the file dialog
        answered with a tuner table the test writes, the second of its tuners
        chosen in the chooser, and the findings window's rows and the status
        line's summary read as a screen reader reads them."""
        table = os.path.join(self.session.tmp, "against.ccf")
        source = os.path.join(self.session.tmp, "against.json")
        with open(source, "w") as f:
            json.dump({"format": "ccf", "country_code": 49,
                       "air": {"frequencies": [45.25, 55.25, 62.25, 900.25]},
                       "cable": {"frequencies": [112.25, 40.25]}}, f)
        subprocess.run([self.session.tool, "build", source, "-o", table], check=True, timeout=30,
                       stdout=subprocess.DEVNULL)
        tuners = os.path.join(self.session.tmp, "against.tsf")
        tuners_source = os.path.join(self.session.tmp, "against-tuners.json")

        def tuner(factory, tuner_type, low, mid, high, end):
            return {"factory": factory, "tuner_type": tuner_type, "low_band_start": low, "mid_band_start": mid,
                    "high_band_start": high, "high_band_end": end, "picture_carrier": 38.9, "low_code": 0xA0,
                    "mid_code": 0x90, "high_code": 0x30}
        with open(tuners_source, "w") as f:
            json.dump({"format": "tsf", "entries": [tuner(0x01, 0x05, 100.0, 200.0, 300.0, 500.0),
                                                    tuner(0x03, 0x12, 48.25, 170.0, 450.0, 863.25)]}, f)
        subprocess.run([self.session.tool, "build", tuners_source, "-o", tuners], check=True, timeout=30,
                       stdout=subprocess.DEVNULL)

        def summary():
            check = self.tree.wait_for(lambda node: node.name == "Check" and self.tree.role(node) == "push button"
                                       and self.tree.showing(node), "the status line's check summary")
            return check.description

        def findings_view():
            return self.tree.wait_for(lambda node: node.name == "Table Check" and self.tree.showing(node)
                                      and self.tree.role(node) in ("tree table", "table", "tree"),
                                      "the findings list")

        def finding_rows():
            table = findings_view().queryTable()
            return [tuple(table.getAccessibleAt(row, column).name for column in range(table.nColumns))
                    for row in range(table.nRows)]

        expected = [
            ("Error", "Antenna", "1", "air channel 1: 45.25 MHz is below the tuner's lowest band, "
                                      "which starts at 48.25 MHz"),
            ("Error", "Antenna", "4", "air channel 4: 900.25 MHz is above the tuner's highest band, "
                                      "which ends at 863.25 MHz"),
            ("Error", "Cable", "2", "cable channel 2: 40.25 MHz is below the tuner's lowest band, "
                                    "which starts at 48.25 MHz"),
        ]
        program = self.session.start_program(table)
        try:
            def choose_through_the_menu():
                self.wait_until(lambda: summary() == "No problems", "the summary of the table alone", timeout=40)
                # Alt+T opens the Table menu, A its "Check Against Tuner...".
                self.keys("alt+t")
                time.sleep(0.5)
                self.keys("a")
                self.tree.wait_for(lambda node: self.tree.role(node) in ("dialog", "file chooser")
                                   and node.name == "Check Against Tuner" and self.tree.showing(node),
                                   "the file dialog")
                time.sleep(0.5)
                self.session.xdotool("type", "--delay", 40, tuners)
                self.keys("Return")
                chooser = self.tree.wait_for(self.named("Tuners"), "the tuner chooser's list")
                rows = chooser.queryTable().nRows
                if rows != 2:
                    raise AssertionError("the chooser lists %d tuners" % rows)
                self.keys("Down", "Return")
                self.tree.wait_gone(self.named("Tuners"), "the tuner chooser")
            self.check("Check Against Tuner: a tuner table and its tuner chosen by keys", choose_through_the_menu)

            def findings_listed():
                self.wait_until(lambda: finding_rows() == expected, "the channels outside tuner 03:12 listed")
                # Named by the catalogue beside the program, as the tuner editor names it.
                description = findings_view().description
                if not description.startswith("Against tuner 03:12 Alps TSBE5: 3 channels outside. Errors: 3"):
                    raise AssertionError("the findings' summary reads %r" % description)
            self.check("Check Against Tuner: the findings window lists the channels outside", findings_listed)

            def summary_names_the_tuner():
                self.wait_until(lambda: summary() == "3 errors (3 channels outside tuner 03:12)",
                                "the summary naming the tuner")
            self.check("Check Against Tuner: the status line counts the channels outside", summary_names_the_tuner)
        finally:
            self.session.stop(program)


# The runs, in their order: the first starts at a scale of its own with a
# first start's folders.
RUNS = ["scaled_windows", "channel_editor", "tuner_editor", "open_in_running_instance", "window", "accessibility",
        "status_line", "lost_work", "plan_labels", "clipboard", "drag_and_drop", "band_chart", "check_against_tuner",
        "silent_clipboard", "whole_job", "cell_editing", "compare_with", "columns_and_matrix"]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", required=True, help="the build folder with ui/vornalix and tool/vornalix-tool")
    parser.add_argument("--only", nargs="+", choices=RUNS, help="these runs alone, while working on them")
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
        for run in RUNS:
            if not args.only or run in args.only:
                getattr(test, run)()
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
