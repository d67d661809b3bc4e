#!/bin/sh
# Sample installer: works for a few seconds, then ends.
echo "Установка программного обеспечения СКУД..."
sleep 5
echo "Готово."
