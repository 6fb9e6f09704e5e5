"""docs/python.md's examples, run as written on files made for them."""

import json
import os
import pathlib
import re
import subprocess
import sys

import numpy as np
import OpenImageIO as oiio
import pytest

from conftest import test_image, write_image

DOC = pathlib.Path(os.environ.get("VELMORA_SOURCE_DIR", pathlib.Path(__file__).parents[2])) / "docs" / "python.md"
EXAMPLES = re.findall(r"```python\n(.*?)```", DOC.read_text(), re.S)


def run(example, folder, **environment):
    done = subprocess.run([sys.executable, "-c", example], cwd=folder, capture_output=True,
                          text=True, env={**os.environ, **environment})
    assert done.returncode == 0, done.stderr
    return done


def test_the_doc_has_both_examples():
    assert len(EXAMPLES) == 2


def test_exr_glowed_in_a_working_space(tmp_path):
    pixels = test_image(np.float32, 4)
    write_image(tmp_path / "shot.exr", pixels)
    run(EXAMPLES[0], tmp_path)
    result = oiio.ImageBuf(str(tmp_path / "shot_glow.exr"))
    assert result.spec().nchannels == 4
    glowed = result.get_pixels("float")
    assert glowed.shape == pixels.shape and np.all(np.isfinite(glowed))
    assert glowed[:, :, :3].sum() > pixels[:, :, :3].sum()


def test_farm_chunk(tmp_path):
    (tmp_path / "plates").mkdir()
    for frame in range(1001, 1005):
        write_image(tmp_path / "plates" / f"shot.{frame}.exr", test_image(np.float16, 4, seed=frame))
    (tmp_path / "look.json").write_text(json.dumps({"intensity": 1.5, "mode": "add"}))
    done = run(EXAMPLES[1], tmp_path, CHUNK="1001-1003")
    assert sorted(p.name for p in (tmp_path / "glow").iterdir()) == [
        f"shot.{frame}.exr" for frame in (1001, 1002, 1003)]
    assert "chunk 1001-1003: 3/3 frames" in done.stdout
    # A chunk with a frame missing on disk fails in the command's words, on stderr.
    (tmp_path / "plates" / "shot.1004.exr").write_bytes(b"broken")
    done = subprocess.run([sys.executable, "-c", EXAMPLES[1]], cwd=tmp_path, capture_output=True,
                          text=True, env={**os.environ, "CHUNK": "1001-1004"})
    assert done.returncode == 1
    assert done.stderr.strip().splitlines()[-1].startswith("velmora: 1 of 1 frames failed: 1004")
