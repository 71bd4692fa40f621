"""Ctrl-C during a batch stops it: KeyboardInterrupt, no thread left behind, the next run fine."""

import os
import signal
import threading
import time

import pytest

import varnodel
from conftest import GLASSES, settings_for


def threads():
    return len(os.listdir("/proc/self/task"))


def test_keyboard_interrupt_stops_the_batch():
    before = threads()
    long_run = settings_for("frac")
    long_run["stop.value"] = 60.0
    long_run["run.step"] = 0.01
    timer = threading.Timer(1.0, os.kill, (os.getpid(), signal.SIGINT))
    started = time.monotonic()
    timer.start()
    with pytest.raises(KeyboardInterrupt):
        varnodel.frac(GLASSES, long_run, jobs=2)
    assert time.monotonic() - started < 30
    timer.join()
    # The engines' threads end with the run (threads other tests left may end meanwhile).
    assert threads() <= before
    assert len(varnodel.mla(GLASSES, settings_for("mla")).table) == 7
