# The module under test is the built one (PYTHONPATH from CTest); the command
# and the reference results come from the environment CTest sets.
import os
from pathlib import Path

import pytest

TADMOR_COMMAND = os.environ.get("TADMOR_COMMAND", "tadmor")
REFERENCE_DIR = Path(os.environ.get("TADMOR_REFERENCE_DIR", Path(__file__).parents[1] / "data" / "reference"))


@pytest.fixture
def command():
    return TADMOR_COMMAND
