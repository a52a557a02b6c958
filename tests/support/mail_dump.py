#!/usr/bin/python3
"""Reads the mails a test SMTP server wrote (NNN.eml / NNN.json) with
Python's own mail parser and prints them as JSON: envelope, decoded To and
Subject, and every attachment decoded into <folder>/attachments/."""
import email
import email.policy
import json
import os
import sys

folder = sys.argv[1]
out = os.path.join(folder, "attachments")
os.makedirs(out, exist_ok=True)
mails = []
for name in sorted(n for n in os.listdir(folder) if n.endswith(".eml")):
    stem = name[:-4]
    with open(os.path.join(folder, name), "rb") as f:
        message = email.message_from_binary_file(f, policy=email.policy.default)
    with open(os.path.join(folder, stem + ".json")) as f:
        envelope = json.load(f)
    attachments = []
    for index, part in enumerate(message.iter_attachments()):
        filename = part.get_filename()
        path = os.path.join(out, "%s_%d_%s" % (stem, index, filename))
        with open(path, "wb") as f:
            f.write(part.get_payload(decode=True))
        attachments.append({"filename": filename, "type": part.get_content_type(), "path": path})
    body = message.get_body(preferencelist=("plain",))
    mails.append({"envelope": envelope, "to": str(message["To"]), "subject": str(message["Subject"]),
                  "from": str(message["From"]), "body": body.get_content() if body else "",
                  "attachments": attachments})
json.dump(mails, sys.stdout, ensure_ascii=False)
