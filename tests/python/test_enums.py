import enum

import pytest

from tesk_vumo import Rotation, ZoomMode


def test_members_have_the_values_the_choices_use():
    assert [(m.name, m.value) for m in ZoomMode] == [
        ("FitPage", 0), ("FitWidth", 1), ("FitHeight", 2), ("NoZoom", 3), ("ZoomAny", 4)]
    assert [(m.name, m.value) for m in Rotation] == [
        ("NoRotation", 0), ("ClockWise90", 1), ("Double90", 2), ("CounterClockWise90", 3), ("DegreeAny", 4)]


def test_index_gives_the_member():
    assert ZoomMode(3) is ZoomMode.NoZoom
    assert Rotation(3) is Rotation.CounterClockWise90
    assert ZoomMode(4) is ZoomMode.ZoomAny and Rotation(4) is Rotation.DegreeAny
    assert issubclass(ZoomMode, enum.IntEnum) and ZoomMode.FitWidth == 1
    assert ZoomMode.__module__ == "tesk_vumo"
    with pytest.raises(ValueError):
        ZoomMode(5)
    with pytest.raises(ValueError):
        Rotation(-1)
